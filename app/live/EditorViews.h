#pragma once
// The editor's views over the picture, built with Dear ImGui between EditorGui::beginFrame and
// draw, on the window's right: the track view (the tracks of the cursor's group by the rows about
// the music's, each key with its value and interpolation, beat and bar lines; a click selects and
// seeks), the curve view (the selected tracks over the rows about the music's, drawn with the
// demo's own evaluateCurve, the keys as points, the music's row as a line; the wheel zooms, a drag
// pans, a key dragged up or down takes the value) and the line that says what is edited. Thin over
// Edit::Editor; Windows only.
#include "app/live/edit/CurveWindow.h"
#include "app/live/edit/Editor.h"

#include <cstdint>
#include <functional>

namespace Nimbra {

// What the session does with the views' clicks (LiveSession::follow).
using FollowEdit = std::function<void(const Edit::EditorOutcome& outcome)>;

class EditorViews
{
public:
    void draw(Edit::Editor& editor, const Edit::EditorTurn& turn, const FollowEdit& follow, float width, float height);

private:
    void trackView(Edit::Editor& editor, const Edit::EditorTurn& turn, const FollowEdit& follow, float height);
    void curveView(Edit::Editor& editor, const Edit::EditorTurn& turn);
    void valueField(Edit::Editor& editor, const Edit::EditorTurn& turn);

    uint32_t shownGroup = 0;
    uint32_t scrolledTo = 0;   // the track whose column the track view last brought into view
    double rowSpan = 64.0;     // the curve view's rows across, as the wheel left it
    bool following = true;     // the curve view follows the music's row and fits its values
    Edit::CurveWindow curve;   // where it stands once panned
    bool draggingKey = false;  // a key of the curve view is held
    uint32_t dragTrack = 0, dragRow = 0;
    float typed = 0.0f;
};

}  // namespace Nimbra
