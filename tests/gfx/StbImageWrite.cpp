// The PNG encoder the image tests write their pictures with.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
