// The content's embedded assets: compiled shader programs (DXBC) and data blocks, each with
// its size in bytes. Data blocks hold little-endian 32-bit values (ints for fonts and text
// cells, floats for palettes); mapImage is a PNG file.
#pragma once

// Shader programs.
extern const unsigned char fullscreenVS[];
extern const unsigned int fullscreenVSSize;
extern const unsigned char waveLinesVS[];
extern const unsigned int waveLinesVSSize;
extern const unsigned char waveLinesPS[];
extern const unsigned int waveLinesPSSize;
extern const unsigned char focusBlurPS[];
extern const unsigned int focusBlurPSSize;
extern const unsigned char layersVS[];
extern const unsigned int layersVSSize;
extern const unsigned char layersPS[];
extern const unsigned int layersPSSize;
extern const unsigned char compositePS[];
extern const unsigned int compositePSSize;
extern const unsigned char blurPS[];
extern const unsigned int blurPSSize;
extern const unsigned char scrollerVS[];
extern const unsigned int scrollerVSSize;
extern const unsigned char scrollerPS[];
extern const unsigned int scrollerPSSize;
extern const unsigned char combinePS[];
extern const unsigned int combinePSSize;
extern const unsigned char scrollerBlurPS[];
extern const unsigned int scrollerBlurPSSize;
extern const unsigned char rotationCS[];
extern const unsigned int rotationCSSize;

// Fonts: 256 glyphs of 8 x 16 (text-mode order) and 512 glyphs of 8 x 8 (screen-code order),
// one int per pixel.
extern const unsigned char fontA[];
extern const unsigned int fontASize;
extern const unsigned char fontB[];
extern const unsigned int fontBSize;

// Text cells, three ints each (code, colour, background or visibility).
extern const unsigned char layer1Text[];
extern const unsigned int layer1TextSize;
extern const unsigned char layer2Text[];
extern const unsigned int layer2TextSize;
extern const unsigned char layer3Text[];
extern const unsigned int layer3TextSize;
extern const unsigned char layer4Text[];
extern const unsigned int layer4TextSize;
extern const unsigned char scrollerText[];
extern const unsigned int scrollerTextSize;

// Palettes: red, green, blue floats.
extern const unsigned char palette256[];
extern const unsigned int palette256Size;
extern const unsigned char palette32[];
extern const unsigned int palette32Size;

// Bytes stored for each number block: its size rounded up to 16, the rest zero. A buffer's
// width rounds up the same way, and Direct3D copies the whole width from the block.
extern const unsigned int fontAStorage;
extern const unsigned int fontBStorage;
extern const unsigned int layer1TextStorage;
extern const unsigned int layer2TextStorage;
extern const unsigned int layer3TextStorage;
extern const unsigned int layer4TextStorage;
extern const unsigned int scrollerTextStorage;
extern const unsigned int palette256Storage;
extern const unsigned int palette32Storage;

// The backdrop picture, 1280 x 720 RGBA PNG.
extern const unsigned char mapImage[];
extern const unsigned int mapImageSize;
