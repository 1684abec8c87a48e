// The image decoder's implementation lives here, once. Only PNG is needed by the content;
// the other common formats cost little and keep files from disk usable.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#include <stb_image.h>
