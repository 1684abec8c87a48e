// Shapes of the text-layer data shared by layersVS and layersPS. Layers 2 to 4 are pages of
// 80 x 51 cells, frame after frame; layer 1 is one strip of 3 x 85 cells. A cell is three
// ints: character code, colour index (0 to 15) and background colour index (NoBackground in
// the content's cells).
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

// The third value of a cell without a background: its clear glyph pixels let the layers
// behind show through.
static const int NoBackground = -1;
static const int SpaceCode = 32;

// Layer 2, the logo, sweeps in along a diagonal front: in frame f (1 to LogoSweepFrames) the
// front has travelled f / LogoSweepFrames of LogoSweepLength cells of position, where a cell's
// position is its column plus twice its row below LogoSweepOriginRow, and a cell is laid down
// in full once the front is LogoSweepTrail cells past it. Behind the title block (rows
// LogoPanelTop to LogoPanelBottom) the empty cells the front has laid down form a dark panel
// that hides the layers below; it is drawn from these rules, not from the cells.
static const int LogoSweepLength = 128;
static const int LogoSweepFrames = 27;
static const int LogoSweepTrail = 3;
static const int LogoSweepOriginRow = 3;
static const int LogoPanelTop = 2;
static const int LogoPanelBottom = 19;
static const int LogoPanelColour = 0;

// In whole numbers, so that it holds exactly at the front's edge:
// f / frames x length - position >= trail.
bool logoPanelLaidDown(uint frame, uint column, uint row)
{
    if ((int)row < LogoPanelTop || (int)row > LogoPanelBottom)
        return false;
    int position = (int)column + 2 * ((int)row - LogoSweepOriginRow);
    return (int)frame * LogoSweepLength >= LogoSweepFrames * (position + LogoSweepTrail);
}

// Draw order of the five quads, back to front: the instance id names the layer, and the
// fourth quad is the drop shadow of the front strip.
static const uint QuadLayer[5] = { 4, 3, 2, 1, 1 };
static const uint QuadShadow[5] = { 0, 0, 0, 1, 0 };

#endif
