// tamrex-floor: the image library's own work for what a count run makes of a photo, as a
// process of its own, so that scripts/bench.sh can hold whole count processes against it:
// load the JPEG, threshold it, crop the strip, save it as a 1-bit BMP. Photo after photo.
#include <FreeImage.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage() {
    std::fputs("usage: tamrex-floor THRESHOLD OUTPUT.bmp [--strip WIDTHxHEIGHT] PHOTO...\n"
               "Loads each photo, thresholds it at THRESHOLD, crops a strip beside its four\n"
               "leftmost columns (by default all the rest of the photo) and saves it to OUTPUT.bmp.\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Usage();
    const int threshold = std::atoi(argv[1]);
    const char* output = argv[2];
    int first = 3;
    unsigned stripWidth = 0, stripHeight = 0;
    if (std::string(argv[first]) == "--strip") {
        if (first + 2 >= argc || std::sscanf(argv[first + 1], "%ux%u", &stripWidth, &stripHeight) != 2) {
            return Usage();
        }
        first += 2;
    }
    FreeImage_Initialise(FALSE);
    int failed = 0;
    for (int i = first; i < argc; ++i) {
        FIBITMAP* photo = FreeImage_Load(FIF_JPEG, argv[i], JPEG_DEFAULT);
        FIBITMAP* binary = photo ? FreeImage_Threshold(photo, static_cast<BYTE>(threshold)) : nullptr;
        const unsigned width = stripWidth ? stripWidth : (binary ? FreeImage_GetWidth(binary) - 4 : 0);
        const unsigned height = stripHeight ? stripHeight : (binary ? FreeImage_GetHeight(binary) : 0);
        FIBITMAP* strip = binary ? FreeImage_Copy(binary, 4, 0, static_cast<int>(4 + width), static_cast<int>(height))
                                 : nullptr;
        if (!strip || !FreeImage_Save(FIF_BMP, strip, output, BMP_DEFAULT)) {
            std::fprintf(stderr, "tamrex-floor: cannot make the strip of %s\n", argv[i]);
            failed = 1;
        }
        FreeImage_Unload(strip);
        FreeImage_Unload(binary);
        FreeImage_Unload(photo);
    }
    FreeImage_DeInitialise();
    return failed;
}
