#pragma once
// An executable file held in memory, with the named sections appended behind it.
//
// The bytes live in a list of pieces over owned buffers, so that appending a payload
// moves it in without copying and cutting a section out never moves the bytes behind
// it. The positions of every "SO!#" and "EO!#" in the image are indexed once, when
// bytes arrive, and kept up to date by every change; a lookup walks that short list
// instead of rescanning the image.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvane {

enum class MarkerKind { Start, End };

class PackageImage {
public:
    PackageImage() = default;
    explicit PackageImage(std::string bytes) { Assign(std::move(bytes)); }

    void Assign(std::string bytes);
    void Clear() { Assign({}); }

    uint64_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }

    uint8_t ByteAt(uint64_t pos) const;
    void SetByte(uint64_t pos, uint8_t value);

    void Append(std::string bytes);
    void Erase(uint64_t pos, uint64_t count);
    std::string Substr(uint64_t pos, uint64_t count) const;
    std::string ToString() const { return Substr(0, size_); }

    // The first position at which the marker prefix of `kind`, followed by `rest`,
    // stands in the image; the prefix is the upper-case "SO!#" or "EO!#".
    std::optional<uint64_t> FindFirst(MarkerKind kind, std::string_view rest) const;

    // Hands the image from position `from` on to `sink(const char*, size_t)` in order,
    // piece by piece.
    template <typename Sink>
    void ForEachChunk(Sink&& sink, uint64_t from = 0) const {
        for (size_t i = 0; i < pieces_.size(); ++i) {
            const Piece& piece = pieces_[i];
            const uint64_t end = pieceStarts_[i] + piece.length;
            if (end <= from) continue;
            const uint64_t skip = from > pieceStarts_[i] ? from - pieceStarts_[i] : 0;
            sink(buffers_[piece.buffer].data() + piece.offset + skip, static_cast<size_t>(piece.length - skip));
        }
    }

private:
    struct Piece {
        size_t buffer;
        uint64_t offset;
        uint64_t length;
    };
    struct Location {
        size_t piece;
        uint64_t offset;  // inside the piece
    };

    Location Locate(uint64_t pos) const;
    size_t SplitAt(uint64_t pos);  // returns the index of the piece that starts at pos
    void RecountPieceStarts();
    bool MatchesAt(uint64_t pos, std::string_view bytes) const;
    void ForgetMarkersIn(uint64_t from, uint64_t to);
    void IndexMarkersIn(uint64_t from, uint64_t to);

    std::vector<std::string> buffers_;
    std::vector<Piece> pieces_;
    std::vector<uint64_t> pieceStarts_;  // logical position of each piece
    uint64_t size_ = 0;
    std::vector<uint64_t> starts_;  // positions of "SO!#", ascending
    std::vector<uint64_t> ends_;    // positions of "EO!#", ascending
};

}  // namespace kolvane
