#include "app/live/EditorViews.h"

#include "content/animation/ContentVariables.h"

#include "imgui.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace Nimbra {
namespace {

using Edit::CurveWindow;

constexpr ImGuiWindowFlags panelFlags = ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                                        ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;
constexpr uint32_t beatRows = 8, barRows = 32;
constexpr uint32_t plottedTracks = 8;  // the curve view plots the first eight selected tracks
constexpr float keyGrabPixels = 6.0f;
constexpr float samplePixels = 4.0f;

// One letter for each key type, the one the help names.
char interpolationLetter(int32_t interpolation)
{
    static const char letters[] = "SLMRQ";  // step, linear, smooth, ramp, quartic
    return interpolation >= 0 && interpolation < keyInterpolationCount ? letters[interpolation] : '?';
}

const char* interpolationName(int32_t interpolation)
{
    static const char* const names[] = {"step", "linear", "smooth", "ramp", "quartic"};
    return interpolation >= 0 && interpolation < keyInterpolationCount ? names[interpolation] : "step (unknown type)";
}

ImU32 trackColour(uint32_t index)
{
    static const ImU32 colours[plottedTracks] = {IM_COL32(255, 210, 80, 255),  IM_COL32(110, 200, 255, 255),
                                                 IM_COL32(150, 255, 140, 255), IM_COL32(255, 130, 200, 255),
                                                 IM_COL32(255, 160, 90, 255),  IM_COL32(190, 150, 255, 255),
                                                 IM_COL32(120, 255, 230, 255), IM_COL32(230, 230, 230, 255)};
    return colours[index % plottedTracks];
}

uint32_t groupOf(const std::vector<Edit::TrackGroup>& groups, uint32_t track)
{
    for (uint32_t g = 0; g < groups.size(); ++g)
        if (std::find(groups[g].tracks.begin(), groups[g].tracks.end(), track) != groups[g].tracks.end())
            return g;
    return 0;
}

// The line that says what is edited: the row, the track, its key there, the selection and the
// editor's state.
std::string editLine(const Edit::Editor& editor, const Edit::EditorTurn& turn)
{
    const uint32_t track = editor.cursorTrack();
    char text[256];
    const Keyframe* key = editor.model().keyAt(track, turn.row);
    if (key)
        std::snprintf(text, sizeof text, "row %u  %s  %.4g %s", turn.row, contentVariables[track].name,
                      double(key->value), interpolationName(key->interpolation));
    else
        std::snprintf(text, sizeof text, "row %u  %s  no key (%.4g)", turn.row, contentVariables[track].name,
                      double(editor.model().valueAt(track, turn.row)));
    std::string line = text;
    const Edit::KeyBlock block = editor.selection(turn.row);
    const uint32_t cells = (block.endTrack - block.firstTrack) * (block.endRow - block.firstRow);
    if (cells > 1)
        line += "  " + std::to_string(block.endTrack - block.firstTrack) + " x " +
                std::to_string(block.endRow - block.firstRow) + " selected";
    if (editor.flying())
        line += "  flying: C keys the camera";
    if (turn.linked)
        line += "  read-only: the linked editor's keys win";
    if (editor.model().unsaved())
        line += "  unsaved edits";
    return line;
}

}  // namespace

void EditorViews::draw(Edit::Editor& editor, const Edit::EditorTurn& turn, const FollowEdit& follow, float width,
                       float height)
{
    const float panelWidth = std::min(width * 0.5f, 640.0f);
    const float left = width - panelWidth;
    const float keysHeight = std::floor(height * 0.58f);
    ImGui::SetNextWindowPos(ImVec2(left, 0.0f));
    ImGui::SetNextWindowSize(ImVec2(panelWidth, keysHeight));
    ImGui::SetNextWindowBgAlpha(0.8f);
    if (ImGui::Begin("keys", nullptr, panelFlags))
        trackView(editor, turn, follow, keysHeight);
    ImGui::End();
    ImGui::SetNextWindowPos(ImVec2(left, keysHeight));
    ImGui::SetNextWindowSize(ImVec2(panelWidth, height - keysHeight));
    ImGui::SetNextWindowBgAlpha(0.8f);
    if (ImGui::Begin("curves", nullptr, panelFlags))
        curveView(editor, turn);
    ImGui::End();
    valueField(editor, turn);
}

void EditorViews::trackView(Edit::Editor& editor, const Edit::EditorTurn& turn, const FollowEdit& follow, float height)
{
    ImGui::TextUnformatted(editLine(editor, turn).c_str());
    const std::vector<Edit::TrackGroup>& groups = editor.groups();
    const uint32_t cursorGroup = groupOf(groups, editor.cursorTrack());
    if (!ImGui::BeginTabBar("groups", ImGuiTabBarFlags_FittingPolicyScroll))
        return;
    const bool toCursor = cursorGroup != shownGroup;  // the keys moved the cursor to another group
    for (uint32_t g = 0; g < groups.size(); ++g) {
        const ImGuiTabItemFlags flags = toCursor && g == cursorGroup ? ImGuiTabItemFlags_SetSelected : 0;
        if (!ImGui::BeginTabItem(groups[g].name.c_str(), nullptr, flags))
            continue;
        if (g != cursorGroup && !toCursor)  // a click on another group's tab: its first track
            follow(editor.click(groups[g].tracks.front(), turn.row, false, turn));
        shownGroup = g;
        const std::vector<uint32_t>& tracks = groups[g].tracks;
        const float rowHeight = ImGui::GetTextLineHeightWithSpacing();
        const uint32_t shown = std::max<uint32_t>(3, uint32_t((height - 5.0f * rowHeight) / rowHeight)) | 1;
        const uint32_t first = turn.row > shown / 2 ? turn.row - shown / 2 : 0;
        const Edit::KeyBlock selected = editor.selection(turn.row);
        const ImGuiTableFlags tableFlags = ImGuiTableFlags_BordersInnerV | ImGuiTableFlags_ScrollX |
                                           ImGuiTableFlags_SizingFixedFit | ImGuiTableFlags_NoSavedSettings;
        if (ImGui::BeginTable("rows", int(tracks.size()) + 1, tableFlags)) {
            ImGui::TableSetupScrollFreeze(1, 1);  // the rows' numbers and the tracks' names stay
            ImGui::TableSetupColumn("row");
            for (uint32_t track : tracks)
                ImGui::TableSetupColumn(contentVariables[track].name);
            ImGui::TableHeadersRow();
            for (uint32_t row = first; row < first + shown; ++row) {
                ImGui::TableNextRow();
                if (row == turn.row)
                    ImGui::TableSetBgColor(ImGuiTableBgTarget_RowBg0, IM_COL32(70, 70, 140, 220));
                else if (row % barRows == 0)
                    ImGui::TableSetBgColor(ImGuiTableBgTarget_RowBg0, IM_COL32(60, 60, 60, 200));
                else if (row % beatRows == 0)
                    ImGui::TableSetBgColor(ImGuiTableBgTarget_RowBg0, IM_COL32(40, 40, 40, 200));
                ImGui::TableSetColumnIndex(0);
                ImGui::Text("%5u", row);
                for (uint32_t column = 0; column < tracks.size(); ++column) {
                    const uint32_t track = tracks[column];
                    ImGui::TableSetColumnIndex(int(column) + 1);
                    const bool inBlock = track >= selected.firstTrack && track < selected.endTrack &&
                                         row >= selected.firstRow && row < selected.endRow;
                    if (inBlock)
                        ImGui::TableSetBgColor(ImGuiTableBgTarget_CellBg,
                                               track == editor.cursorTrack() && row == turn.row
                                                   ? IM_COL32(200, 140, 40, 230)
                                                   : IM_COL32(120, 90, 40, 200));
                    // Plain text, clicked where it stands: a widget a cell would cost more than the
                    // whole view may take of a frame.
                    char label[24];
                    if (const Keyframe* key = editor.model().keyAt(track, row))
                        std::snprintf(label, sizeof label, "%9.3f %c", double(key->value),
                                      interpolationLetter(key->interpolation));
                    else
                        std::snprintf(label, sizeof label, "%11s", row % beatRows == 0 ? "." : "");
                    ImGui::TextUnformatted(label);
                    // A cursor moved to a track out of sight brings its column into view.
                    if (track == editor.cursorTrack() && row == turn.row && track != scrolledTo) {
                        ImGui::SetScrollHereX(0.5f);
                        scrolledTo = track;
                    }
                    if (ImGui::IsItemClicked())
                        follow(editor.click(track, row, ImGui::GetIO().KeyShift, turn));
                }
            }
            ImGui::EndTable();
        }
        ImGui::EndTabItem();
    }
    ImGui::EndTabBar();
}

void EditorViews::curveView(Edit::Editor& editor, const Edit::EditorTurn& turn)
{
    const ImVec2 size = ImGui::GetContentRegionAvail();
    if (size.x < 8.0f || size.y < 8.0f)
        return;
    ImGui::InvisibleButton("canvas", size, ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonMiddle);
    const ImVec2 origin = ImGui::GetItemRectMin();
    const ImGuiIO& io = ImGui::GetIO();
    const ImVec2 mouse(io.MousePos.x - origin.x, io.MousePos.y - origin.y);
    const Timeline& timeline = editor.model().timeline();
    const float rowsPerSecondOf = rowsPerSecond(timeline);

    // The tracks plotted: the selection's first, the cursor's at least.
    const Edit::KeyBlock selected = editor.selection(turn.row);
    std::vector<uint32_t> tracks;
    for (uint32_t track = selected.firstTrack; track < selected.endTrack && tracks.size() < plottedTracks; ++track)
        tracks.push_back(track);

    if (following)
        curve = Edit::windowAround(double(turn.row), rowSpan, size.x, size.y);
    curve.width = size.x;
    curve.height = size.y;
    // Each curve every few pixels, as the frame work evaluates it: smooth enough to read, and a
    // small part of the view's time.
    std::vector<std::vector<ImVec2>> lines(tracks.size());
    std::vector<float> values;
    for (size_t i = 0; i < tracks.size(); ++i)
        for (float x = 0.0f; x <= size.x + samplePixels; x += samplePixels) {
            const double row = Edit::rowAtX(curve, x);
            const float value = row < 0.0 ? 0.0f : evaluateCurve(timeline, tracks[i], float(row / rowsPerSecondOf));
            values.push_back(value);
            lines[i].push_back(ImVec2(x, value));
        }
    if (following)
        Edit::fitValues(curve, values);

    ImDrawList* draw = ImGui::GetWindowDrawList();
    const auto at = [&](float x, float y) { return ImVec2(origin.x + x, origin.y + y); };
    draw->AddRectFilled(origin, at(size.x, size.y), IM_COL32(0, 0, 0, 160));
    const uint32_t lastRow = uint32_t(std::max(0.0, curve.firstRow + curve.rowSpan));
    for (uint32_t row = uint32_t(std::max(0.0, std::ceil(curve.firstRow))) / beatRows * beatRows; row <= lastRow;
         row += beatRows) {
        const float x = Edit::xOfRow(curve, double(row));
        draw->AddLine(at(x, 0.0f), at(x, size.y),
                      row % barRows == 0 ? IM_COL32(90, 90, 90, 255) : IM_COL32(45, 45, 45, 255));
    }
    if (curve.low < 0.0f && curve.high > 0.0f)
        draw->AddLine(at(0.0f, Edit::yOfValue(curve, 0.0f)), at(size.x, Edit::yOfValue(curve, 0.0f)),
                      IM_COL32(80, 80, 80, 255));
    bool nearKey = false;
    uint32_t nearTrack = 0, nearRow = 0;
    for (size_t i = 0; i < tracks.size(); ++i) {
        for (ImVec2& point : lines[i])
            point = at(point.x, Edit::yOfValue(curve, point.y));
        draw->AddPolyline(lines[i].data(), int(lines[i].size()), trackColour(uint32_t(i)), 0, 1.0f);
        const uint32_t firstRow = uint32_t(std::max(0.0, curve.firstRow));
        for (const Keyframe& key : editor.model().keysInRows(tracks[i], firstRow, lastRow + 1)) {
            const float x = Edit::xOfRow(curve, double(key.row)), y = Edit::yOfValue(curve, key.value);
            draw->AddCircleFilled(at(x, y), 3.5f, trackColour(uint32_t(i)));
            if (std::fabs(x - mouse.x) <= keyGrabPixels && std::fabs(y - mouse.y) <= keyGrabPixels) {
                nearKey = true;
                nearTrack = tracks[i];
                nearRow = key.row;
            }
        }
    }
    const float now = Edit::xOfRow(curve, double(turn.row));
    draw->AddLine(at(now, 0.0f), at(now, size.y), IM_COL32(255, 80, 80, 255), 1.5f);
    char range[64];
    std::snprintf(range, sizeof range, "%.4g .. %.4g", double(curve.low), double(curve.high));
    draw->AddText(at(4.0f, 2.0f), IM_COL32(200, 200, 200, 255), range);

    // The mouse: a key held and dragged takes the value under it; elsewhere a drag pans, the
    // wheel zooms the rows and a double click follows the music again.
    const bool hovered = ImGui::IsItemHovered();
    if (hovered && io.MouseWheel != 0.0f) {
        if (following)
            rowSpan = std::clamp(rowSpan * std::pow(1.25, -double(io.MouseWheel)), Edit::minRowSpan, Edit::maxRowSpan);
        else
            Edit::zoomRows(curve, io.MouseWheel, mouse.x);
    }
    if (hovered && ImGui::IsMouseClicked(ImGuiMouseButton_Left) && nearKey && !turn.linked) {
        draggingKey = true;
        dragTrack = nearTrack;
        dragRow = nearRow;
        editor.beginDrag();
    }
    if (draggingKey && ImGui::IsItemActive()) {
        editor.setValue(dragTrack, dragRow, Edit::valueAtY(curve, mouse.y), turn);
    } else if (draggingKey) {
        draggingKey = false;
        editor.endDrag();
    } else if (ImGui::IsItemActive() && (io.MouseDelta.x != 0.0f || io.MouseDelta.y != 0.0f)) {
        following = false;
        Edit::pan(curve, io.MouseDelta.x, io.MouseDelta.y);
    }
    if (hovered && ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left))
        following = true;
    if (hovered && nearKey)
        ImGui::SetTooltip("%s  row %u  %.4g", contentVariables[nearTrack].name, nearRow,
                          double(editor.model().keyAt(nearTrack, nearRow)->value));
}

void EditorViews::valueField(Edit::Editor& editor, const Edit::EditorTurn& turn)
{
    if (editor.takeTypingRequest() && !turn.linked) {
        const Keyframe* key = editor.model().keyAt(editor.cursorTrack(), turn.row);
        typed = key ? key->value : editor.model().valueAt(editor.cursorTrack(), turn.row);
        ImGui::OpenPopup("value");
    }
    if (!ImGui::BeginPopup("value"))
        return;
    ImGui::Text("%s at row %u", contentVariables[editor.cursorTrack()].name, turn.row);
    if (ImGui::IsWindowAppearing())
        ImGui::SetKeyboardFocusHere();
    if (ImGui::InputFloat("##value", &typed, 0.0f, 0.0f, "%.6g", ImGuiInputTextFlags_EnterReturnsTrue)) {
        editor.setValue(editor.cursorTrack(), turn.row, typed, turn);
        ImGui::CloseCurrentPopup();
    } else if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))) {
        ImGui::CloseCurrentPopup();
    }
    ImGui::EndPopup();
}

}  // namespace Nimbra
