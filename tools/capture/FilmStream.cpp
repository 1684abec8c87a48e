#include "tools/capture/FilmStream.h"

#include "app/FilePaths.h"
#include "tools/capture/CaptureFiles.h"

namespace Nimbra {

bool createFilmStream(FilmStream& film, const std::string& path)
{
    film = FilmStream();
    film.standardOutput = path == "-";
    film.file = film.standardOutput ? stdout : openFile(path.c_str(), "wb");
    return film.file != nullptr;
}

bool writeFilmFrame(FilmStream& film, const unsigned char* rgba, int32_t width, int32_t height, uint32_t rowPitch)
{
    if (!film.file || film.failed)
        return false;
    packRgb(rgba, width, height, rowPitch, film.rgb);
    film.failed = std::fwrite(film.rgb.data(), 1, film.rgb.size(), film.file) != film.rgb.size();
    return !film.failed;
}

bool destroyFilmStream(FilmStream& film)
{
    if (!film.file)
        return false;
    bool closed = film.standardOutput ? std::fflush(film.file) == 0 : std::fclose(film.file) == 0;
    film.file = nullptr;
    return closed && !film.failed;
}

}  // namespace Nimbra
