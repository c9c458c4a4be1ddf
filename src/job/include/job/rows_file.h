// Rows files: the rows of a computation kept as they are computed, so that a computation
// stopped before its end goes on where it stopped, and so that the rows that several runs (the
// shards of a computation) computed make one picture.
//
// A file begins with lines of text that tell what decides the rows and which shard of them the
// file keeps; then come records of one size, one for each row, in the order computed: the row
// (4 bytes, little-endian; row 0 is the grid's bottom row, the least parameter), what the file
// keeps of it (RowsFormat), and a CRC-32 of both (4 bytes, little-endian).
#pragma once

#include "job/computation.h"
#include "platform/record_file.h"
#include "platform/result.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The names of the values that keep a row's sub-samples' Lyapunov exponents, sub-sample j's
// "lyapunov<j>".
std::vector<std::string> LyapunovValueNames();

// What a rows file keeps of each row. Version 1 keeps its levels, a byte a cell. Version 2,
// which this program writes, keeps the hits of each cell (8 bytes, little-endian), from which
// the levels and any shading follow, and then the row's values that its header's "values" line
// names, 8 bytes each (an IEEE double, little-endian), so that values of a row can be added
// without another version. This program keeps the Lyapunov exponents of the row's sub-samples
// (kLyapunovValues), and goes on in files that keep none ("values none").
struct RowsFormat {
    int32_t version = 2;
    std::vector<std::string> values = LyapunovValueNames();

    bool operator==(const RowsFormat&) const = default;
    bool KeepsHits() const { return version >= 2; }
    // Bytes of a record of a row of `width` cells.
    size_t RecordSize(int32_t width) const;
};

// The header of a rows file for the computation's shard: its first lines.
std::string RowsFileHeader(const Computation& computation, const RowsFormat& format = {});

// The shard that a header tells of, what the file keeps of each row, and the header's length;
// nothing for bytes that do not begin with a header.
struct ParsedRowsHeader {
    Computation computation;
    RowsFormat format;
    size_t length = 0;
};
std::optional<ParsedRowsHeader> ParseRowsFileHeader(std::string_view bytes);

// "region 0 3 1 4, grid 40x30, 2 stripes, shard 1/4".
std::string DescribeShard(const Computation& computation);

// The rows of one computation kept in rows files: the rows of one file kept as a run computes
// them, or the rows that the files of its shards hold together. Only the place of each kept row
// is held in memory.
class KeptRows {
public:
    KeptRows(KeptRows&&) = default;
    KeptRows& operator=(KeptRows&&) = default;

    // The file `name` for the rows of the computation's shard: made when it is missing or holds
    // no more than a header begun; a torn or damaged last record, as a crash leaves it, is cut
    // off. A file that keeps another computation's rows, or is damaged elsewhere, is refused and
    // left as it is. A failure's message begins with the file's quoted name.
    static Result<KeptRows> OpenToKeep(const std::string& name, const Computation& computation);
    // The rows of the files, refused unless they are of one computation and hold every one of
    // its rows exactly once: the failure names the file and the rows at fault (its message
    // begins with the file's quoted name; or with "no file" when no file keeps a shard).
    static Result<KeptRows> Gather(const std::vector<std::string>& names);

    // The computation the files keep rows of; with Gather, of the shard of the first file.
    const Computation& KeptComputation() const { return m_computation; }
    bool Holds(int32_t row) const { return m_places[static_cast<size_t>(row)].file >= 0; }
    // Whether every file keeps the hits of its rows (version 2 and later).
    bool KeepsHits() const;
    // Whether every file keeps the Lyapunov exponents of its rows' sub-samples.
    bool KeepsLyapunov() const;
    // The kept levels of a row, a cell each, and, where KeepsHits, its hits, and where
    // KeepsLyapunov, its sub-samples' Lyapunov exponents (kSubSamples).
    Status Read(int32_t row, int32_t* levels, uint64_t* hits, double* lyapunov = nullptr);
    // Appends a row to the file opened to keep, its levels or its hits as the file keeps them,
    // and its sub-samples' Lyapunov exponents where it keeps them, and holds it from then on;
    // made durable at least every second, and by Sync.
    Status Keep(int32_t row, const int32_t* levels, const uint64_t* hits, const double* lyapunov = nullptr);
    // Makes the rows kept so far durable; nothing for files that are only read.
    Status Sync();

private:
    struct Place {
        int32_t file = -1;  // none: the row is not kept
        int64_t offset = 0;
    };
    struct File {
        std::string name;
        RecordFile handle;
        int64_t recordsStart = 0;
        int32_t shard = 0;
        RowsFormat format;
        int64_t end = 0;  // of the records, in the file opened to keep
    };

    explicit KeptRows(const Computation& computation);
    size_t RecordSize(const File& file) const { return file.format.RecordSize(m_computation.grid.width); }
    // Reads the header of a file already open, then indexes its records: a record that is not
    // whole or fails its check sets `damaged` to its number and ends the reading.
    static Result<Computation> ReadHeader(File& file);
    Status IndexRecords(int32_t fileIndex, int32_t shard, int64_t& damaged, int64_t& records);

    Computation m_computation;
    std::vector<Place> m_places;  // per row of the grid
    std::vector<File> m_files;
    bool m_keeping = false;  // the one file is opened to keep rows in
    std::vector<char> m_record;
    std::chrono::steady_clock::time_point m_lastSync = std::chrono::steady_clock::now();
};
