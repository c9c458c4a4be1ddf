#include "job/png_file.h"

#include "platform/record_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// Compressed bytes gathered before they go out as one IDAT chunk.
constexpr size_t kChunkBytes = size_t{1} << 16;

void AppendBigEndian(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

Status WriteChunk(ByteSink& sink, std::string_view type, std::string_view data)
{
    std::string chunk;
    chunk.reserve(data.size() + 12);
    AppendBigEndian(chunk, static_cast<uint32_t>(data.size()));
    chunk.append(type);
    chunk.append(data);
    const auto* checked = reinterpret_cast<const Bytef*>(chunk.data() + 4);
    AppendBigEndian(chunk, static_cast<uint32_t>(crc32(0L, checked, static_cast<uInt>(chunk.size() - 4))));
    return sink.Write(chunk);
}

uint32_t BigEndianAt(const char* bytes)
{
    uint32_t value = 0;
    for (int k = 0; k < 4; ++k) {
        value = (value << 8) | static_cast<unsigned char>(bytes[k]);
    }
    return value;
}

constexpr std::string_view kSignature = "\x89PNG\r\n\x1a\n";

// A failure of the compressor, in zlib's words.
Failure CompressorFailure(int code)
{
    return Failure::Because(std::string("compressing the picture failed (zlib: ") + zError(code) + ")");
}

}  // namespace

// Deflates the scanlines as they come and sends the compressed bytes out as IDAT chunks.
class PngImageData {
public:
    PngImageData() = default;
    ~PngImageData()
    {
        if (m_started) {
            deflateEnd(&m_stream);
        }
    }
    PngImageData(const PngImageData&) = delete;
    PngImageData& operator=(const PngImageData&) = delete;

    Status Start()
    {
        const int result = deflateInit(&m_stream, Z_DEFAULT_COMPRESSION);
        if (result != Z_OK) {
            return CompressorFailure(result);
        }
        m_started = true;
        return {};
    }
    Status Add(const std::vector<Bytef>& scanline, ByteSink& sink) { return Deflate(scanline, Z_NO_FLUSH, sink); }
    Status Finish(ByteSink& sink) { return Deflate({}, Z_FINISH, sink); }

private:
    Status Deflate(const std::vector<Bytef>& input, int flush, ByteSink& sink)
    {
        m_stream.next_in = const_cast<Bytef*>(input.data());
        m_stream.avail_in = static_cast<uInt>(input.size());
        for (;;) {
            m_stream.next_out = m_buffer.data() + m_filled;
            m_stream.avail_out = static_cast<uInt>(m_buffer.size() - m_filled);
            const int result = deflate(&m_stream, flush);
            if (result == Z_STREAM_ERROR) {
                return CompressorFailure(result);
            }
            m_filled = m_buffer.size() - m_stream.avail_out;
            const bool finished = result == Z_STREAM_END;
            if (m_filled == m_buffer.size() || (finished && m_filled > 0)) {
                const std::string_view data(reinterpret_cast<const char*>(m_buffer.data()), m_filled);
                if (Status written = WriteChunk(sink, "IDAT", data); !written) {
                    return written;
                }
                m_filled = 0;
            }
            if (finished || (flush == Z_NO_FLUSH && m_stream.avail_in == 0)) {
                return {};
            }
        }
    }

    z_stream m_stream{};
    bool m_started = false;
    std::vector<Bytef> m_buffer = std::vector<Bytef>(kChunkBytes);
    size_t m_filled = 0;
};

PngWriter::PngWriter(ByteSink& sink) : m_sink(sink), m_data(std::make_unique<PngImageData>())
{
}

PngWriter::~PngWriter() = default;

Status PngWriter::Start(Size size, const std::vector<PngText>& texts)
{
    std::string header;
    AppendBigEndian(header, static_cast<uint32_t>(size.width));
    AppendBigEndian(header, static_cast<uint32_t>(size.height));
    header += std::string{'\x08', '\x02', '\x00', '\x00', '\x00'};  // 8 bits, RGB, deflate, no interlace
    if (Status written = m_sink.Write(kSignature); !written) {
        return written;
    }
    if (Status written = WriteChunk(m_sink, "IHDR", header); !written) {
        return written;
    }
    for (const PngText& text : texts) {
        if (Status written = WriteChunk(m_sink, "tEXt", text.keyword + '\0' + text.text); !written) {
            return written;
        }
    }
    m_scanline.assign(1 + static_cast<size_t>(size.width) * 3, 0);
    return m_data->Start();
}

// Each scanline: a filter byte 0, then R, G, B per pixel.
Status PngWriter::AddRow(const uint32_t* colours)
{
    Bytef* out = m_scanline.data() + 1;
    const size_t width = (m_scanline.size() - 1) / 3;
    for (size_t column = 0; column < width; ++column) {
        *out++ = static_cast<Bytef>(colours[column] >> 16);
        *out++ = static_cast<Bytef>(colours[column] >> 8);
        *out++ = static_cast<Bytef>(colours[column]);
    }
    return m_data->Add(m_scanline, m_sink);
}

Status PngWriter::Finish()
{
    if (Status finished = m_data->Finish(m_sink); !finished) {
        return finished;
    }
    return WriteChunk(m_sink, "IEND", {});
}

Status WritePng(Size size, const PixelRows& rows, const std::vector<PngText>& texts, ByteSink& sink)
{
    PngWriter writer(sink);
    if (Status started = writer.Start(size, texts); !started) {
        return started;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(size.width));
    for (int32_t row = size.height - 1; row >= 0; --row) {
        rows(row, pixels.data());
        if (Status added = writer.AddRow(pixels.data()); !added) {
            return added;
        }
    }
    return writer.Finish();
}

Result<std::string> EncodePng(const PixelBuffer& buffer, const std::vector<PngText>& texts)
{
    StringSink sink;
    const PixelRows rows = [&buffer](int32_t row, uint32_t* colours) {
        const uint32_t* first = buffer.pixels.get() + int64_t{row} * buffer.width;
        std::copy(first, first + buffer.width, colours);
    };
    if (Status written = WritePng({buffer.width, buffer.height}, rows, texts, sink); !written) {
        return written.Error();
    }
    return sink.Bytes();
}

std::optional<std::vector<PngText>> ReadCompletePngTexts(const std::filesystem::path& path)
{
    Result<RecordFile> file = RecordFile::OpenToRead(path);
    const Result<int64_t> size = file ? file->Size() : Result<int64_t>(file.Error());
    std::string bytes(kSignature.size(), '\0');
    if (!size || !file->ReadAt(0, bytes) || bytes != kSignature) {
        return std::nullopt;
    }
    std::vector<PngText> texts;
    for (int64_t offset = static_cast<int64_t>(kSignature.size()); offset + 12 <= *size;) {
        char header[8];
        if (!file->ReadAt(offset, header)) {
            return std::nullopt;
        }
        const int64_t length = BigEndianAt(header);
        if (length > *size - offset - 12) {
            return std::nullopt;
        }
        std::string chunk(static_cast<size_t>(length) + 8, '\0');  // type, data and CRC
        if (!file->ReadAt(offset + 4, chunk)) {
            return std::nullopt;
        }
        const auto* checked = reinterpret_cast<const Bytef*>(chunk.data());
        if (BigEndianAt(chunk.data() + chunk.size() - 4) != crc32(0L, checked, static_cast<uInt>(length + 4))) {
            return std::nullopt;
        }
        const std::string_view type(chunk.data(), 4);
        const std::string_view data(chunk.data() + 4, static_cast<size_t>(length));
        offset += length + 12;
        if (type == "tEXt" && data.find('\0') != std::string_view::npos) {
            const size_t zero = data.find('\0');
            texts.push_back({std::string(data.substr(0, zero)), std::string(data.substr(zero + 1))});
        }
        if (type == "IEND") {
            return offset == *size ? std::optional(texts) : std::nullopt;
        }
    }
    return std::nullopt;
}
