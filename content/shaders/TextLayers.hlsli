// Shapes of the text-layer data shared by layersVS and layersPS. Layers 2 to 4 are pages of
// 80 x 51 cells, frame after frame; layer 1 is one strip of 3 x 85 cells. A cell is three
// ints: character code, colour index (0 to 15) and background colour index (-1: none).
#ifndef TEXT_LAYERS_HLSLI
#define TEXT_LAYERS_HLSLI

static const uint PageColumns = 80;
static const uint PageRows = 51;
static const uint StripColumns = 85;
static const uint StripRows = 3;
static const uint Layer2Frames = 29;
static const uint Layer3Frames = 31;
static const uint Layer4Frames = 12;
static const uint IntsPerCell = 3;

// Draw order of the five quads, back to front: the instance id names the layer, and the
// fourth quad is the drop shadow of the front strip.
static const uint QuadLayer[5] = { 4, 3, 2, 1, 1 };
static const uint QuadShadow[5] = { 0, 0, 0, 1, 0 };

#endif
