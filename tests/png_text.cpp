// png_text FILE KEYWORD: prints the text of the PNG's first tEXt chunk with that keyword, for the
// command-line tests. Exit status 1 when the file is no readable PNG or has no such chunk.
#include "png_reader.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: png_text FILE KEYWORD\n", stderr);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const DecodedPng png = DecodePng(bytes);
    if (!png.error.empty()) {
        std::fprintf(stderr, "png_text: %s\n", png.error.c_str());
        return 1;
    }
    for (const auto& [keyword, text] : png.texts) {
        if (keyword == argv[2]) {
            std::fwrite(text.data(), 1, text.size(), stdout);
            return 0;
        }
    }
    return 1;
}
