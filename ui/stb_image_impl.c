/* The one compilation of stb_image: PNG only, from memory only, and nothing
   larger than the skin's pictures can sensibly be (decoding stays bounded). */
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_MAX_DIMENSIONS 4096
#include "stb_image.h"
