// corvalis-make-icon: draws the program's icon, an orbit-density diagram computed and coloured
// as the window does it, and writes it into the resource folder as corvalis.ico (48, 32 and 16
// pixels, each in 16 colours, 256 colours and 24-bit colour) and as corvalis-SIZE.png for the
// Linux desktop. Usage: corvalis-make-icon RES_DIR
#include "core/calc_workers.h"
#include "core/level_grid.h"
#include "job/output_file.h"
#include "job/png_file.h"
#include "platform/console.h"
#include "platform/system_info.h"
#include "tools/icon_files.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

// The whole period-doubling cascade, square, in the blue scale.
constexpr CalcRegion kIconRegion{0.0, 2.9, 1.0, 4.0};
constexpr ColorScheme kIconScheme = ColorScheme::Blue;
constexpr int32_t kIcoSizes[] = {48, 32, 16};
constexpr int32_t kPngSizes[] = {16, 32, 48, 64, 128, 256};

// The diagram of the region on a grid of size × size, coloured. Computed at the icon's own
// size, as the window computes a picture of that size, so that the densities stay bold.
PixelBuffer DrawDiagram(int32_t size)
{
    const Size grid{size, size};
    std::vector<int32_t> levels(static_cast<size_t>(size) * size, 0);
    WorkerList workers = StartWorkers(levels.data(), grid, kIconRegion, ProcessorCount());
    while (CountRunning(workers) > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    StopWorkers(workers);
    PixelBuffer image;
    AllocPixels(image, {size, size});
    ColorizeLevels(SharedLevels{levels.data()}, MakeColorTable(kIconScheme, false), image);
    return image;
}

// Replaces the file with the encoded bytes, whole or not at all.
Status Replace(const std::string& path, const Result<std::string>& bytes)
{
    if (!bytes) {
        return bytes.Error().WithContext("cannot write '" + path + "'");
    }
    const Result<OutputTarget> target = FindOutputTarget(path);
    if (!target) {
        return target.Error();
    }
    OutputTransaction transaction;
    const Result<ByteSink*> sink = transaction.Open(*target);
    if (!sink) {
        return CannotWrite(path, sink.Error());
    }
    if (Status written = (*sink)->Write(*bytes); !written) {
        return CannotWrite(path, written.Error());
    }
    return transaction.Commit();
}

// Replaces the file; says why on standard error when that fails.
Status Write(const std::string& path, const Result<std::string>& bytes)
{
    const Status written = Replace(path, bytes);
    if (!written) {
        std::fprintf(stderr, "corvalis-make-icon: %s\n", written.Error().Message().c_str());
    }
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    OpenStandardStreams();  // before any file is opened: none may take a standard stream's number
    if (argc != 2) {
        std::fputs("usage: corvalis-make-icon RES_DIR\n", stderr);
        return 2;
    }
    const std::string resDir = argv[1];

    // The palettes are the scale itself: all 256 colours, or every 17th of them.
    const ColorTable table = MakeColorTable(kIconScheme, false);
    std::vector<uint32_t> sixteen;
    for (size_t i = 0; i < table.size(); i += 17) {
        sixteen.push_back(table[i]);
    }
    std::vector<IcoImage> icoImages;
    for (int32_t bits : {4, 8, 24}) {
        for (int32_t size : kIcoSizes) {
            PixelBuffer picture = DrawDiagram(size);
            if (bits == 24) {
                icoImages.push_back({std::move(picture), 24, {}});
            } else {
                const std::span<const uint32_t> palette = bits == 4 ? std::span<const uint32_t>(sixteen)
                                                                    : std::span<const uint32_t>(table);
                icoImages.push_back(Quantize(picture, palette, bits));
            }
        }
    }
    bool written = static_cast<bool>(Write(resDir + "/corvalis.ico", EncodeIco(icoImages)));
    for (int32_t size : kPngSizes) {
        const std::string path = resDir + "/corvalis-" + std::to_string(size) + ".png";
        written = static_cast<bool>(Write(path, EncodePng(DrawDiagram(size)))) && written;
    }
    // Exit status 2 on an error, as the other programs.
    return written ? 0 : 2;
}
