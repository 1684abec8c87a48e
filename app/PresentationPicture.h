#pragma once
// The picture side of the presentation: what start-up, every frame and shutdown do with the
// graphics context, the content and its DemoPlayer. demo.exe runs these between the sound's
// own steps; demo-capture runs them alone.
#include <cstdint>

namespace Nimbra {

struct Timeline;
struct DemoWindow;

// Start-up, in order: installs the graphics context with an all-zero header (and the shared
// samplers), builds the content into `timeline` at the screen size, adds the player's screen
// texture and final copy pass, and points that pass at the window's back buffer.
void startPicture(Timeline& timeline, DemoWindow& window);

// The frame's camera and context header from curves 0 to 7, then every curve's value into its
// variable.
void preparePictureFrame(Timeline& timeline, float t, float elapsed, uint32_t frame, float aspect);

// Renders the frame: every enabled pass, ending in the final copy into the back buffer.
void renderPictureFrame(Timeline& timeline);

// Releases every curve's keys and the curve array. The player and the GPU objects are left to
// process exit.
void destroyCurves(Timeline& timeline);

}  // namespace Nimbra
