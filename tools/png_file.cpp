#include "png_file.h"

#include <png.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// "cannot VERB PATH: the system's reason".
static std::string failure(const char* verb, const std::string& path, int error)
{
    return std::string("cannot ") + verb + " " + path + ": " + strerror(error);
}

// The permissions a file created the ordinary way would get (0666 less the
// umask); mkstemp makes its files 0600.
static mode_t ordinary_file_mode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Encodes `image` into an open stream; libpng's own message on failure.
static std::string encode_png(FILE* stream, const rgb_image& image)
{
    png_image header;
    memset(&header, 0, sizeof header);
    header.version = PNG_IMAGE_VERSION;
    header.width = static_cast<png_uint_32>(image.width);
    header.height = static_cast<png_uint_32>(image.height);
    header.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_stdio(&header, stream, 0, image.pixels.data(), image.width * 3, nullptr)) {
        std::string message = header.message;
        png_image_free(&header);
        return message;
    }
    return "";
}

std::string write_png_file(const std::string& path, const rgb_image& image)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height * 3)
        return "cannot write " + path + ": the picture has no pixels or the wrong number of them";

    // Beside the target, so that the rename stays on one file system.
    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkstemp(&temporary[0]);
    if (descriptor < 0)
        return failure("create", path, errno);
    FILE* stream = fdopen(descriptor, "wb");
    if (!stream) {
        const int error = errno;
        close(descriptor);
        unlink(temporary.c_str());
        return failure("create", path, error);
    }

    std::string problem;
    if (fchmod(descriptor, ordinary_file_mode()) != 0)
        problem = failure("write", path, errno);
    if (problem.empty()) {
        const std::string encoding = encode_png(stream, image);
        if (!encoding.empty())
            problem = "cannot write " + path + ": " + encoding;
    }
    // A full disk may only show when the last buffer is flushed.
    if (problem.empty() && fflush(stream) != 0)
        problem = failure("write", path, errno);
    if (fclose(stream) != 0 && problem.empty())
        problem = failure("write", path, errno);
    if (problem.empty() && rename(temporary.c_str(), path.c_str()) != 0)
        problem = failure("write", path, errno);
    if (!problem.empty())
        unlink(temporary.c_str());
    return problem;
}

std::string read_png_file(const std::string& path, rgb_image* image)
{
    png_image header;
    memset(&header, 0, sizeof header);
    header.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&header, path.c_str()))
        return "cannot read " + path + ": " + header.message;
    header.format = PNG_FORMAT_RGB;
    image->width = static_cast<int>(header.width);
    image->height = static_cast<int>(header.height);
    image->pixels.assign(PNG_IMAGE_SIZE(header), 0);
    // Decoding as sRGB 8-bit keeps the stored values of an 8-bit RGB file as they are.
    if (!png_image_finish_read(&header, nullptr, image->pixels.data(), 0, nullptr)) {
        std::string message = header.message;
        png_image_free(&header);
        return "cannot read " + path + ": " + message;
    }
    return "";
}
