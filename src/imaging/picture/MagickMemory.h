#pragma once
// Memory for GraphicsMagick and for the pictures it decodes. Decoding a big
// picture touches hundreds of megabytes of fresh memory (the library's 16-bit
// pixel cache and the picture), and in 4 KiB pages those faults cost more
// than the decoding itself: large blocks come from transparent huge pages
// where the kernel offers them, the rest from malloc. Internal to the loader.

#include <QImage>
#include <cstddef>

namespace vls::picture {

// The library's allocator (installed with MagickAllocFunctions).
void* MagickAllocate(std::size_t size);
void MagickRelease(void* memory);
void* MagickResize(void* memory, std::size_t size);

// A picture of 4 bytes a pixel whose pixels come from the same large blocks
// when it is big.
QImage NewImage(int width, int height, QImage::Format format);

}  // namespace vls::picture
