#include "job/rows_file.h"

#include "core/orbit_density.h"
#include "job/number_reading.h"
#include "platform/file_io.h"
#include "platform/file_path.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <optional>

namespace {

constexpr std::string_view kFirstLineStart = "corvalis-render rows ";
constexpr int32_t kNewestVersion = 2;
constexpr std::string_view kLastLine = "records\n";
// A header is far shorter: its numbers have a bounded number of digits.
constexpr size_t kLongestHeader = 512;
// Records read at a time while a file is checked: about 1 MiB, and at least one.
constexpr size_t kCheckedBytes = size_t{1} << 20;

void AppendLittleEndian(std::string& bytes, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        bytes += static_cast<char>((value >> shift) & 0xFF);
    }
}

void AppendLittleEndian64(std::string& bytes, uint64_t value)
{
    for (int shift = 0; shift < 64; shift += 8) {
        bytes += static_cast<char>((value >> shift) & 0xFF);
    }
}

template <class Unsigned>
Unsigned LittleEndianAt(const char* bytes)
{
    Unsigned value = 0;
    for (int k = static_cast<int>(sizeof(Unsigned)) - 1; k >= 0; --k) {
        value = (value << 8) | static_cast<unsigned char>(bytes[k]);
    }
    return value;
}

// The CRC-32 of a record's row and what it keeps of the row, `kept` bytes.
uint32_t RecordCheck(const char* record, size_t kept)
{
    return static_cast<uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(record), static_cast<uInt>(kept + 4)));
}

// The names of a "values" line: "none", or names of lower-case letters, digits and '_' apart by
// one space; nothing for another text.
std::optional<std::vector<std::string>> ParseValueNames(std::string_view text)
{
    std::vector<std::string> names;
    if (text == "none") {
        return names;
    }
    for (;;) {
        const size_t end = std::min(text.find(' '), text.size());
        const std::string_view name = text.substr(0, end);
        const bool sound = !name.empty() && name != "none" && std::ranges::all_of(name, [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        });
        if (!sound) {
            return std::nullopt;
        }
        names.emplace_back(name);
        if (end == text.size()) {
            return names;
        }
        text.remove_prefix(end + 1);
    }
}

std::string ShardText(const Shard& shard)
{
    return std::to_string(shard.index) + "/" + std::to_string(shard.count);
}

// The value of a header line "KEY VALUE"; nothing when the line is another.
std::optional<std::string_view> LineValue(std::string_view line, std::string_view key)
{
    if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != ' ') {
        return std::nullopt;
    }
    return line.substr(key.size() + 1);
}

std::optional<Computation> ParseHeaderLines(const std::vector<std::string_view>& lines)
{
    if (lines.size() != 5) {
        return std::nullopt;
    }
    Computation computation;
    const auto region = LineValue(lines[0], "region");
    const auto grid = LineValue(lines[1], "grid");
    const auto fit = LineValue(lines[2], "fit");
    const auto stripes = LineValue(lines[3], "stripes");
    const auto shard = LineValue(lines[4], "shard");
    if (!region || !grid || !fit || !stripes || !shard) {
        return std::nullopt;
    }
    double corner[4] = {};
    std::string_view numbers = *region;
    for (double& value : corner) {
        const size_t end = std::min(numbers.find(' '), numbers.size());
        const std::optional<double> number = ParseFiniteNumber(numbers.substr(0, end));
        if (!number) {
            return std::nullopt;
        }
        value = *number;
        numbers.remove_prefix(std::min(end + 1, numbers.size()));
    }
    computation.region = {corner[0], corner[1], corner[2], corner[3]};
    const auto gridSize = ParseSize(*grid, 1, kMaxGridSide);
    const auto clientSize = *fit == "none" ? std::optional(Size{}) : ParseSize(*fit, kMinClientSide, kMaxGridSide);
    const auto stripeCount = ParseWholeNumber(*stripes, 1, kMaxStripes);
    const size_t slash = shard->find('/');
    const auto shardCount = ParseWholeNumber(shard->substr(std::min(slash + 1, shard->size())), 1, kMaxShards);
    if (!gridSize || !clientSize || !stripeCount || slash == std::string_view::npos || !shardCount) {
        return std::nullopt;
    }
    const auto shardIndex = ParseWholeNumber(shard->substr(0, slash), 0, *shardCount - 1);
    if (!shardIndex) {
        return std::nullopt;
    }
    computation.grid = *gridSize;
    computation.client = *clientSize;
    computation.stripes = *stripeCount;
    computation.shard = {*shardIndex, *shardCount};
    return computation;
}

// "16-19, 32-35, 48 and 12 more": the rows, ascending, as ranges, the first few of them.
std::string RowRangesText(const std::vector<int32_t>& rows)
{
    constexpr size_t kRangesShown = 3;
    std::string text;
    size_t ranges = 0;
    for (size_t k = 0; k < rows.size();) {
        size_t end = k + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1) {
            ++end;
        }
        if (ranges < kRangesShown) {
            text += ranges == 0 ? "" : ", ";
            text += std::to_string(rows[k]);
            if (end - k > 1) {
                text += '-';
                text += std::to_string(rows[end - 1]);
            }
        }
        ++ranges;
        k = end;
    }
    return ranges > kRangesShown ? text + " and " + std::to_string(ranges - kRangesShown) + " more" : text;
}

std::string RecordOrdinal(int64_t record)
{
    return "record " + std::to_string(record + 1);
}

}  // namespace

std::vector<std::string> LyapunovValueNames()
{
    std::vector<std::string> names;
    for (int j = 0; j < kSubSamples; ++j) {
        names.push_back("lyapunov" + std::to_string(j));
    }
    return names;
}

size_t RowsFormat::RecordSize(int32_t width) const
{
    const size_t cells = static_cast<size_t>(width);
    return 4 + (KeepsHits() ? 8 * (cells + values.size()) : cells) + 4;
}

std::string RowsFileHeader(const Computation& computation, const RowsFormat& format)
{
    std::string header = std::string(kFirstLineStart) + std::to_string(format.version) + "\nregion " +
                         RegionText(computation.region) + "\ngrid " + SizeText(computation.grid) + "\nfit " +
                         (computation.client.width == 0 ? std::string("none") : SizeText(computation.client)) +
                         "\nstripes " + std::to_string(computation.stripes) + "\nshard " +
                         ShardText(computation.shard) + "\n";
    if (format.KeepsHits()) {
        std::string names;
        for (const std::string& name : format.values) {
            names += (names.empty() ? "" : " ") + name;
        }
        header += "values " + (names.empty() ? std::string("none") : names) + "\n";
    }
    return header + std::string(kLastLine);
}

std::optional<ParsedRowsHeader> ParseRowsFileHeader(std::string_view bytes)
{
    const size_t firstEnd = bytes.find('\n');
    if (!bytes.starts_with(kFirstLineStart) || firstEnd == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<int32_t> version = ParseWholeNumber(
        bytes.substr(kFirstLineStart.size(), firstEnd - kFirstLineStart.size()), 1, kNewestVersion);
    if (!version) {
        return std::nullopt;
    }
    RowsFormat format{*version, {}};
    std::vector<std::string_view> lines;
    size_t start = firstEnd + 1;
    for (;;) {
        const size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        if (line == kLastLine.substr(0, kLastLine.size() - 1)) {
            break;
        }
        lines.push_back(line);
    }
    if (format.KeepsHits()) {
        const std::optional<std::string_view> valuesLine = lines.empty() ? std::nullopt
                                                                         : LineValue(lines.back(), "values");
        const std::optional<std::vector<std::string>> names = valuesLine ? ParseValueNames(*valuesLine) : std::nullopt;
        if (!names) {
            return std::nullopt;
        }
        format.values = *names;
        lines.pop_back();
    }
    const std::optional<Computation> computation = ParseHeaderLines(lines);
    // Only the header this program writes for what it tells: one way of writing each number.
    if (!computation || RowsFileHeader(*computation, format) != bytes.substr(0, start)) {
        return std::nullopt;
    }
    return ParsedRowsHeader{*computation, format, start};
}

std::string DescribeShard(const Computation& computation)
{
    return "region " + RegionText(computation.region) + ", grid " + SizeText(computation.grid) +
           (computation.client.width == 0 ? "" : ", fit " + SizeText(computation.client)) + ", " +
           std::to_string(computation.stripes) + " stripes, shard " + ShardText(computation.shard);
}

KeptRows::KeptRows(const Computation& computation)
    : m_computation(computation), m_places(static_cast<size_t>(computation.grid.height))
{
}

Result<Computation> KeptRows::ReadHeader(File& file)
{
    const Result<int64_t> size = file.handle.Size();
    if (!size) {
        return size.Error();
    }
    std::string bytes(static_cast<size_t>(std::min<int64_t>(*size, kLongestHeader)), '\0');
    if (Status read = file.handle.ReadAt(0, bytes); !read) {
        return read.Error();
    }
    const std::optional<ParsedRowsHeader> header = ParseRowsFileHeader(bytes);
    if (!header) {
        return Failure::Because("not a rows file of corvalis-render");
    }
    file.recordsStart = static_cast<int64_t>(header->length);
    file.format = header->format;
    return header->computation;
}

Status KeptRows::IndexRecords(int32_t fileIndex, int32_t shard, int64_t& damaged, int64_t& records)
{
    File& file = m_files[static_cast<size_t>(fileIndex)];
    const Result<int64_t> size = file.handle.Size();
    if (!size) {
        return size.Error();
    }
    const size_t recordSize = RecordSize(file);
    const int64_t recordBytes = *size - file.recordsStart;
    records = (recordBytes + static_cast<int64_t>(recordSize) - 1) / static_cast<int64_t>(recordSize);
    damaged = -1;
    std::vector<char> chunk(std::max(kCheckedBytes / recordSize, size_t{1}) * recordSize);
    for (int64_t record = 0; record < records;) {
        const int64_t offset = file.recordsStart + record * static_cast<int64_t>(recordSize);
        const int64_t count = std::min<int64_t>(records - record, static_cast<int64_t>(chunk.size() / recordSize));
        const int64_t whole = std::min<int64_t>(*size - offset, count * static_cast<int64_t>(recordSize));
        if (Status read = file.handle.ReadAt(offset, {chunk.data(), static_cast<size_t>(whole)}); !read) {
            return read;
        }
        for (int64_t k = 0; k < count; ++k, ++record) {
            const char* bytes = chunk.data() + k * static_cast<int64_t>(recordSize);
            const bool complete = (k + 1) * static_cast<int64_t>(recordSize) <= whole;
            const uint32_t row = complete ? LittleEndianAt<uint32_t>(bytes) : 0;
            const bool sound = complete &&
                               LittleEndianAt<uint32_t>(bytes + recordSize - 4) == RecordCheck(bytes, recordSize - 8) &&
                               row < static_cast<uint32_t>(m_computation.grid.height) &&
                               ShardOfRow(static_cast<int32_t>(row), m_computation.grid.height,
                                          m_computation.shard.count) == shard &&
                               !Holds(static_cast<int32_t>(row));
            if (!sound) {
                damaged = record;
                return {};
            }
            m_places[row] = {fileIndex, offset + k * static_cast<int64_t>(recordSize) + 4};
        }
    }
    return {};
}

Result<KeptRows> KeptRows::OpenToKeep(const std::string& name, const Computation& computation)
{
    const auto refused = [&](const std::string& why) { return Failure::Because(QuotedName(name) + ": " + why); };
    const std::filesystem::path path = PathFromUtf8(name);
    const Result<FileKind> kind = KindOf(path);
    if (!kind) {
        return refused(kind.Error().Message());
    }
    if (*kind != FileKind::Missing && *kind != FileKind::Regular) {
        return refused("not a file of data");
    }
    Result<RecordFile> handle = RecordFile::OpenToAppend(path);
    if (!handle) {
        return refused(handle.Error().Message());
    }
    KeptRows kept(computation);
    kept.m_keeping = true;
    kept.m_files.push_back({name, std::move(*handle)});
    File& file = kept.m_files.front();
    const Result<int64_t> size = file.handle.Size();
    if (!size) {
        return refused(size.Error().Message());
    }
    const std::string header = RowsFileHeader(computation);
    std::string begun(static_cast<size_t>(std::min<int64_t>(*size, static_cast<int64_t>(header.size()))), '\0');
    if (Status read = file.handle.ReadAt(0, begun); !read) {
        return refused(read.Error().Message());
    }
    if (*size < static_cast<int64_t>(header.size()) && header.starts_with(begun)) {
        // A new file, or one whose header a crash cut short.
        Status written = file.handle.Truncate(0);
        written = written ? file.handle.Append(header) : written;
        written = written ? file.handle.Sync() : written;
        if (!written) {
            return refused(written.Error().Message());
        }
        file.recordsStart = static_cast<int64_t>(header.size());
        file.end = file.recordsStart;
        return kept;
    }
    const Result<Computation> found = ReadHeader(file);
    if (!found) {
        return refused(found.Error().Message() + "; it is left as it is");
    }
    if (*found != computation) {
        return refused("it keeps the rows of another computation (" + DescribeShard(*found) +
                       "); it is left as it is: give another file for this one");
    }
    if (!file.format.values.empty() && file.format.values != LyapunovValueNames()) {
        return refused("it keeps values of each row that this program does not compute; it is left as it is");
    }
    int64_t damaged = -1;
    int64_t records = 0;
    if (Status indexed = kept.IndexRecords(0, computation.shard.index, damaged, records); !indexed) {
        return refused(indexed.Error().Message());
    }
    if (damaged >= 0 && damaged + 1 < records) {
        return refused(RecordOrdinal(damaged) + " of " + std::to_string(records) +
                       " is damaged, so the file cannot go on; it is left as it is");
    }
    file.end = file.recordsStart + (damaged >= 0 ? damaged : records) * static_cast<int64_t>(kept.RecordSize(file));
    if (damaged >= 0) {
        // The record a crash tore, or whose writing it cut short: its row is computed again.
        if (Status cut = file.handle.Truncate(file.end); !cut) {
            return refused(cut.Error().Message());
        }
    }
    return kept;
}

Result<KeptRows> KeptRows::Gather(const std::vector<std::string>& names)
{
    std::optional<KeptRows> kept;
    std::vector<int32_t> fileOfShard;
    for (const std::string& name : names) {
        const auto refused = [&](const std::string& why) { return Failure::Because(QuotedName(name) + ": " + why); };
        const std::filesystem::path path = PathFromUtf8(name);
        const Result<FileKind> kind = KindOf(path);
        if (!kind || *kind != FileKind::Regular) {
            return refused(!kind                        ? kind.Error().Message()
                           : *kind == FileKind::Missing ? "no such file"
                                                        : "not a file of data");
        }
        if (kept && std::ranges::any_of(kept->m_files, [&](const File& earlier) {
                return IsSameEntry(PathFromUtf8(earlier.name), path);
            })) {
            return refused("given twice");
        }
        Result<RecordFile> handle = RecordFile::OpenToRead(path);
        if (!handle) {
            return refused(handle.Error().Message());
        }
        File file{name, std::move(*handle)};
        const Result<Computation> shard = ReadHeader(file);
        if (!shard) {
            return refused(shard.Error().Message());
        }
        file.shard = shard->shard.index;
        if (!kept) {
            kept.emplace(KeptRows(*shard));
            fileOfShard.assign(static_cast<size_t>(shard->shard.count), -1);
        } else if (!SameRows(*shard, kept->m_computation)) {
            return refused("it keeps the rows of another computation (" + DescribeShard(*shard) + ") than " +
                           QuotedName(kept->m_files.front().name) + " (" + DescribeShard(kept->m_computation) + ")");
        }
        int32_t& owner = fileOfShard[static_cast<size_t>(shard->shard.index)];
        if (owner >= 0) {
            return refused("it keeps shard " + ShardText(shard->shard) + " as " +
                           QuotedName(kept->m_files[static_cast<size_t>(owner)].name) + " does");
        }
        owner = static_cast<int32_t>(kept->m_files.size());
        kept->m_files.push_back(std::move(file));
        int64_t damaged = -1;
        int64_t records = 0;
        if (Status indexed = kept->IndexRecords(owner, shard->shard.index, damaged, records); !indexed) {
            return refused(indexed.Error().Message());
        }
        if (damaged >= 0) {
            return refused(damaged + 1 == records
                               ? "its last record, " + RecordOrdinal(damaged) +
                                     ", is torn or damaged: its run stopped "
                                     "while writing; run it again to finish it"
                               : RecordOrdinal(damaged) + " of " + std::to_string(records) + " is damaged");
        }
    }
    const Computation& computation = kept->m_computation;
    for (int32_t shard = 0; shard < computation.shard.count; ++shard) {
        std::vector<int32_t> missing;
        int32_t rows = 0;
        for (int32_t row = 0; row < computation.grid.height; ++row) {
            if (ShardOfRow(row, computation.grid.height, computation.shard.count) == shard) {
                ++rows;
                if (!kept->Holds(row)) {
                    missing.push_back(row);
                }
            }
        }
        if (missing.empty()) {
            continue;
        }
        const int32_t owner = fileOfShard[static_cast<size_t>(shard)];
        const std::string rowsText = "rows " + RowRangesText(missing);
        if (owner < 0) {
            return Failure::Because("no file keeps shard " + ShardText({shard, computation.shard.count}) + " (" +
                                    rowsText + ")");
        }
        return Failure::Because(QuotedName(kept->m_files[static_cast<size_t>(owner)].name) + ": " +
                                std::to_string(missing.size()) + " of its " + std::to_string(rows) +
                                " rows are missing (" + rowsText +
                                "): its run has not finished; run it again to finish it");
    }
    return std::move(*kept);
}

bool KeptRows::KeepsHits() const
{
    return std::ranges::all_of(m_files, [](const File& file) { return file.format.KeepsHits(); });
}

bool KeptRows::KeepsLyapunov() const
{
    return std::ranges::all_of(m_files, [](const File& file) { return file.format.values == LyapunovValueNames(); });
}

Status KeptRows::Read(int32_t row, int32_t* levels, uint64_t* hits, double* lyapunov)
{
    const Place& place = m_places[static_cast<size_t>(row)];
    File& file = m_files[static_cast<size_t>(place.file)];
    const size_t width = static_cast<size_t>(m_computation.grid.width);
    m_record.resize(RecordSize(file) - 8);
    const auto failed = [&](const Failure& failure) {
        return failure.WithContext("reading row " + std::to_string(row) + " of " + QuotedName(file.name));
    };
    if (Status read = file.handle.ReadAt(place.offset, {m_record.data(), m_record.size()}); !read) {
        return failed(read.Error());
    }
    if (!file.format.KeepsHits()) {
        std::transform(m_record.begin(), m_record.begin() + static_cast<std::ptrdiff_t>(width), levels,
                       [](char level) { return static_cast<int32_t>(static_cast<unsigned char>(level)); });
        return {};
    }
    for (size_t column = 0; column < width; ++column) {
        const uint64_t cellHits = LittleEndianAt<uint64_t>(m_record.data() + 8 * column);
        // The check of the record guards against damage, not against a file made by hand.
        if (cellHits > static_cast<uint64_t>(kMostHits)) {
            return failed(Failure::Because("a cell holds more hits than any computation gives"));
        }
        levels[column] = LevelFromHits(static_cast<int64_t>(cellHits));
        if (hits != nullptr) {
            hits[column] = cellHits;
        }
    }
    if (lyapunov != nullptr && file.format.values == LyapunovValueNames()) {
        for (size_t j = 0; j < kSubSamples; ++j) {
            lyapunov[j] = std::bit_cast<double>(LittleEndianAt<uint64_t>(m_record.data() + 8 * (width + j)));
        }
    }
    return {};
}

Status KeptRows::Keep(int32_t row, const int32_t* levels, const uint64_t* hits, const double* lyapunov)
{
    File& file = m_files.front();
    const size_t width = static_cast<size_t>(m_computation.grid.width);
    std::string record;
    record.reserve(RecordSize(file));
    AppendLittleEndian(record, static_cast<uint32_t>(row));
    for (size_t column = 0; column < width; ++column) {
        if (file.format.KeepsHits()) {
            AppendLittleEndian64(record, hits[column]);
        } else {
            record += static_cast<char>(static_cast<unsigned char>(levels[column]));
        }
    }
    if (file.format.values == LyapunovValueNames()) {
        for (int j = 0; j < kSubSamples; ++j) {
            AppendLittleEndian64(record, std::bit_cast<uint64_t>(lyapunov[j]));
        }
    }
    AppendLittleEndian(record, RecordCheck(record.data(), record.size() - 4));
    const auto kept = [&](Status status) {
        return status
                   ? status
                   : status.Error().WithContext("keeping row " + std::to_string(row) + " in " + QuotedName(file.name));
    };
    if (Status appended = file.handle.Append(record); !appended) {
        return kept(appended);
    }
    m_places[static_cast<size_t>(row)] = {0, file.end + 4};
    file.end += static_cast<int64_t>(record.size());
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastSync >= std::chrono::seconds(1)) {
        m_lastSync = now;
        return kept(file.handle.Sync());
    }
    return {};
}

Status KeptRows::Sync()
{
    return m_keeping ? m_files.front().handle.Sync() : Status{};
}
