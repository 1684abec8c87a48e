#pragma once
// The soundtrack, an Extended Module embedded in the executable (content/song/song.xm).
extern const unsigned char songModule[];
extern const unsigned int songModuleSize;
