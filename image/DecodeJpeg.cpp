#include "image/DecodeJpeg.h"

#include "image/ImageLibrary.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace tamrex {
namespace {

// ---- Colour and grey photos: libjpeg itself, set up as the image library sets it up.

// The image library's JPEG loader asks libjpeg for the fast integer transform and
// plain upsampling unless told to be accurate; the same settings give the same pixels.
// Asked for blue, green, red directly, libjpeg leaves out the pass over the whole photo
// in which the library swaps red and blue.
void SetUpLikeTheLibrary(jpeg_decompress_struct& info) {
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    info.out_color_space = info.num_components == 3 ? JCS_EXT_BGR : JCS_GRAYSCALE;
}

// The photo's shape; its resolution from its JFIF segment, rounded as the library rounds
// it. A photo without one keeps the library's default of 72 dots per inch.
PictureShape ShapeOf(const jpeg_decompress_struct& info) {
    PictureShape shape{static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                       info.output_components, std::nullopt};
    constexpr double kMetresPerInch = 0.0254;
    if (info.density_unit == 1) {
        shape.dotsPerMetre = {static_cast<unsigned>(info.X_density / kMetresPerInch + 0.5),
                              static_cast<unsigned>(info.Y_density / kMetresPerInch + 0.5)};
    } else if (info.density_unit == 2) {  // dots per centimetre
        shape.dotsPerMetre = {info.X_density * 100u, info.Y_density * 100u};
    }
    return shape;
}

FIBITMAP* AllocatePhoto(const PictureShape& shape) {
    FIBITMAP* photo = shape.bytesPerPixel == 3
                          ? FreeImage_Allocate(shape.width, shape.height, 24, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                               FI_RGBA_BLUE_MASK)
                          : FreeImage_Allocate(shape.width, shape.height, 8);
    if (!photo) return nullptr;
    if (shape.bytesPerPixel == 1) {
        RGBQUAD* palette = FreeImage_GetPalette(photo);
        for (int level = 0; level < 256; ++level) palette[level] = RGBQUAD{BYTE(level), BYTE(level), BYTE(level), 0};
    }
    SetResolution(photo, shape);
    return photo;
}

// libjpeg calls error_exit on a fatal error and must not get control back: it jumps to
// where the decode began. No object with a destructor lives in the frames it leaves.
struct Errors {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    std::string messages;  // as the library passes them on: the first warning, and the error
};

void KeepMessage(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX];
    info->err->format_message(info, text);
    std::string& messages = reinterpret_cast<Errors*>(info->err)->messages;
    if (!messages.empty()) messages += "; ";
    messages += text;
}

[[noreturn]] void JumpBack(j_common_ptr info) {
    info->err->output_message(info);
    std::longjmp(reinterpret_cast<Errors*>(info->err)->back, 1);
}

// The stream's pieces handed to libjpeg one after the other, without a copy. Past the
// end, as libjpeg's own sources do: a warning and an end marker.
struct PieceSource {
    jpeg_source_mgr manager;
    const std::vector<std::string_view>* pieces;
    std::size_t next;
};

void StartSource(j_decompress_ptr) {}
void EndSource(j_decompress_ptr) {}

boolean NextPiece(j_decompress_ptr info) {
    static const JOCTET kEnd[] = {0xFF, JPEG_EOI};
    PieceSource& source = *reinterpret_cast<PieceSource*>(info->src);
    if (source.next < source.pieces->size()) {
        const std::string_view piece = (*source.pieces)[source.next++];
        source.manager.next_input_byte = reinterpret_cast<const JOCTET*>(piece.data());
        source.manager.bytes_in_buffer = piece.size();
        return TRUE;
    }
    WARNMS(info, JWRN_JPEG_EOF);
    source.manager.next_input_byte = kEnd;
    source.manager.bytes_in_buffer = sizeof kEnd;
    return TRUE;
}

void SkipBytes(j_decompress_ptr info, long count) {
    jpeg_source_mgr& source = *info->src;
    while (count > static_cast<long>(source.bytes_in_buffer)) {
        count -= static_cast<long>(source.bytes_in_buffer);
        source.fill_input_buffer(info);
    }
    if (count > 0) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

// Everything one decode needs, set up before the point libjpeg may jump back to.
class Decoding {
public:
    Decoding(const DecoderInput& input, DecodedRows* rows) : rows_(rows) {
        info_.err = jpeg_std_error(&errors_.manager);
        errors_.manager.error_exit = JumpBack;
        errors_.manager.output_message = KeepMessage;
        source_.manager.init_source = StartSource;
        source_.manager.fill_input_buffer = NextPiece;
        source_.manager.skip_input_data = SkipBytes;
        source_.manager.resync_to_restart = jpeg_resync_to_restart;
        source_.manager.term_source = EndSource;
        source_.manager.bytes_in_buffer = 0;
        source_.pieces = &input.Pieces();
        source_.next = 0;
    }
    ~Decoding() {
        jpeg_destroy_decompress(&info_);  // nothing to do if it was never created
        if (photo_) FreeImage_Unload(photo_);
    }
    Decoding(const Decoding&) = delete;
    Decoding& operator=(const Decoding&) = delete;

    // False when libjpeg gave up, or no memory was left for the photo.
    bool Run();
    BitmapHandle TakePhoto() { return BitmapHandle(std::exchange(photo_, nullptr)); }
    std::string TakeMessages() { return std::move(errors_.messages); }

private:
    bool Allocate();
    void ReadRows();
    void HandRowsOn();

    jpeg_decompress_struct info_{};
    Errors errors_{};
    PieceSource source_{};
    DecodedRows* rows_;
    bool handingOn_ = false;
    FIBITMAP* photo_ = nullptr;
    std::vector<JSAMPLE> band_;  // the rows being handed on; a member, as libjpeg may jump past a local
};

bool Decoding::Run() {
    if (setjmp(errors_.back)) return false;
    jpeg_create_decompress(&info_);  // clears all but the error manager
    info_.src = &source_.manager;
    jpeg_read_header(&info_, TRUE);
    SetUpLikeTheLibrary(info_);
    jpeg_start_decompress(&info_);
    if (!Allocate()) {
        errors_.messages = "not enough memory to decode it";
        return false;
    }
    if (handingOn_) {
        HandRowsOn();
    } else {
        ReadRows();
    }
    jpeg_finish_decompress(&info_);
    return true;
}

// The whole picture only when there is no listener for the rows, or it wants none.
bool Decoding::Allocate() {
    const PictureShape shape = ShapeOf(info_);
    handingOn_ = rows_ && rows_->Start(shape);
    if (handingOn_) return true;
    photo_ = AllocatePhoto(shape);
    return photo_ != nullptr;
}

constexpr int kMostRows = 16;  // libjpeg's rows per call for the usual sampling

void Decoding::ReadRows() {
    const int height = static_cast<int>(info_.output_height);
    BYTE* const bits = FreeImage_GetBits(photo_);
    const std::size_t pitch = FreeImage_GetPitch(photo_);
    JSAMPROW rows[kMostRows];
    while (info_.output_scanline < info_.output_height) {
        const int top = static_cast<int>(info_.output_scanline);  // counted from the top down
        const int wanted = std::min(kMostRows, height - top);
        for (int row = 0; row < wanted; ++row) rows[row] = bits + pitch * static_cast<std::size_t>(height - 1 - top - row);
        jpeg_read_scanlines(&info_, rows, static_cast<JDIMENSION>(wanted));
    }
}

// A few rows at a time into a band that stays in the processor's caches, each handed
// on as soon as it is decoded; the band is written over by the next few.
void Decoding::HandRowsOn() {
    const int height = static_cast<int>(info_.output_height);
    const std::size_t stride = std::size_t{info_.output_width} * static_cast<std::size_t>(info_.output_components);
    band_.resize(stride * kMostRows);
    JSAMPROW rows[kMostRows];
    for (int row = 0; row < kMostRows; ++row) rows[row] = band_.data() + stride * static_cast<std::size_t>(row);
    while (info_.output_scanline < info_.output_height) {
        const int top = static_cast<int>(info_.output_scanline);
        const int wanted = std::min(kMostRows, height - top);
        const int read = static_cast<int>(jpeg_read_scanlines(&info_, rows, static_cast<JDIMENSION>(wanted)));
        for (int row = 0; row < read; ++row) rows_->Row(height - 1 - top - row, rows[row]);
    }
}

// ---- Anything else (CMYK): the image library, reading the stream through its I/O calls.

// Where the library's decoder has read up to. The library's own memory stream hands the
// decoder its bytes one call per byte; this one copies each request whole.
struct Cursor {
    const DecoderInput& input;
    std::size_t position = 0;
};

unsigned DLL_CALLCONV ReadBytes(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    Cursor& cursor = *static_cast<Cursor*>(handle);
    if (size == 0) return 0;
    const std::size_t read = cursor.input.Read(cursor.position, static_cast<char*>(buffer), std::size_t{size} * count);
    cursor.position += read;
    return static_cast<unsigned>(read / size);  // whole items, as fread counts them
}

unsigned DLL_CALLCONV WriteNothing(void*, unsigned, unsigned, fi_handle) { return 0; }

int DLL_CALLCONV Seek(fi_handle handle, long offset, int origin) {
    Cursor& cursor = *static_cast<Cursor*>(handle);
    const long from = origin == SEEK_SET   ? 0
                      : origin == SEEK_CUR ? static_cast<long>(cursor.position)
                                           : static_cast<long>(cursor.input.Size());
    if (offset < -from) return -1;
    cursor.position = static_cast<std::size_t>(from + offset);
    return 0;
}

long DLL_CALLCONV Tell(fi_handle handle) { return static_cast<long>(static_cast<Cursor*>(handle)->position); }

BitmapHandle DecodeWithLibrary(const DecoderInput& input, std::string& messages) {
    EnsureImageLibrary();
    TakeLibraryMessages();
    FreeImageIO io{ReadBytes, WriteNothing, Seek, Tell};
    Cursor cursor{input};
    BitmapHandle bitmap(FreeImage_LoadFromHandle(FIF_JPEG, &io, &cursor, JPEG_DEFAULT));
    messages = TakeLibraryMessages();
    return bitmap;
}

// ----

// With the stream cleaned, the decoder's warnings can only concern the picture data;
// these two say that it stopped before the picture was whole.
bool EndsEarly(const std::string& messages) {
    return messages.find("premature end of data segment") != std::string::npos ||
           messages.find("Premature end of JPEG file") != std::string::npos;
}

}  // namespace

void SetResolution(FIBITMAP* picture, const PictureShape& shape) {
    if (!shape.dotsPerMetre) return;
    FreeImage_SetDotsPerMeterX(picture, shape.dotsPerMetre->first);
    FreeImage_SetDotsPerMeterY(picture, shape.dotsPerMetre->second);
}

Expected<BitmapHandle> DecodeJpeg(const DecoderInput& input, std::string& warning, DecodedRows* rows) {
    BitmapHandle bitmap;
    bool decoded = false;
    std::string messages;
    if (input.Components() == 1 || input.Components() == 3) {
        Decoding decoding(input, rows);
        decoded = decoding.Run();
        bitmap = decoding.TakePhoto();
        messages = decoding.TakeMessages();
    } else {
        bitmap = DecodeWithLibrary(input, messages);
        decoded = bitmap != nullptr;
    }
    if (!decoded) return Fail(messages.empty() ? "the JPEG decoder could not read it" : messages);
    if (EndsEarly(messages)) return Fail("the file is damaged: its picture data ends early (" + messages + ")");
    warning = std::move(messages);
    return bitmap;
}

}  // namespace tamrex
