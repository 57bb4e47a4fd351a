#include "package/PackageImage.h"

#include <algorithm>
#include <cstring>

#include "package/Markers.h"

namespace kolvane {

namespace {

// Both prefixes carry '!' as their third byte; scanning for it finds every candidate.
constexpr char kProbe = '!';
constexpr uint64_t kProbeOffset = 2;

uint64_t Below(uint64_t pos, uint64_t distance) { return pos >= distance ? pos - distance : 0; }

}  // namespace

void PackageImage::Assign(std::string bytes) {
    buffers_.clear();
    pieces_.clear();
    pieceStarts_.clear();
    starts_.clear();
    ends_.clear();
    size_ = 0;
    Append(std::move(bytes));
}

PackageImage::Location PackageImage::Locate(uint64_t pos) const {
    auto next = std::upper_bound(pieceStarts_.begin(), pieceStarts_.end(), pos);
    size_t piece = static_cast<size_t>(next - pieceStarts_.begin()) - 1;
    return {piece, pos - pieceStarts_[piece]};
}

uint8_t PackageImage::ByteAt(uint64_t pos) const {
    Location at = Locate(pos);
    const Piece& piece = pieces_[at.piece];
    return static_cast<uint8_t>(buffers_[piece.buffer][piece.offset + at.offset]);
}

void PackageImage::SetByte(uint64_t pos, uint8_t value) {
    Location at = Locate(pos);
    const Piece& piece = pieces_[at.piece];
    buffers_[piece.buffer][piece.offset + at.offset] = static_cast<char>(value);
    // Only markers that cover this byte can appear or vanish.
    ForgetMarkersIn(Below(pos, kPrefixLength - 1), pos + 1);
    IndexMarkersIn(Below(pos, kPrefixLength - 1), pos + 1);
}

void PackageImage::Append(std::string bytes) {
    if (bytes.empty()) return;
    const uint64_t oldSize = size_;
    pieces_.push_back({buffers_.size(), 0, bytes.size()});
    pieceStarts_.push_back(oldSize);
    size_ += bytes.size();
    buffers_.push_back(std::move(bytes));
    // A marker may begin in the last bytes of the old image and end in the new ones.
    IndexMarkersIn(Below(oldSize, kPrefixLength - 1), size_);
}

size_t PackageImage::SplitAt(uint64_t pos) {
    if (pos >= size_) return pieces_.size();
    Location at = Locate(pos);
    if (at.offset == 0) return at.piece;
    Piece& left = pieces_[at.piece];
    Piece right{left.buffer, left.offset + at.offset, left.length - at.offset};
    left.length = at.offset;
    pieces_.insert(pieces_.begin() + static_cast<ptrdiff_t>(at.piece) + 1, right);
    pieceStarts_.insert(pieceStarts_.begin() + static_cast<ptrdiff_t>(at.piece) + 1, pos);
    return at.piece + 1;
}

void PackageImage::RecountPieceStarts() {
    pieceStarts_.resize(pieces_.size());
    uint64_t pos = 0;
    for (size_t i = 0; i < pieces_.size(); ++i) {
        pieceStarts_[i] = pos;
        pos += pieces_[i].length;
    }
}

void PackageImage::Erase(uint64_t pos, uint64_t count) {
    if (pos >= size_ || count == 0) return;
    count = std::min(count, size_ - pos);
    const size_t first = SplitAt(pos);
    const size_t last = SplitAt(pos + count);
    pieces_.erase(pieces_.begin() + static_cast<ptrdiff_t>(first),
                  pieces_.begin() + static_cast<ptrdiff_t>(last));
    RecountPieceStarts();

    const uint64_t junction = Below(pos, kPrefixLength - 1);
    ForgetMarkersIn(junction, pos + count);
    for (auto* list : {&starts_, &ends_})
        for (uint64_t& marker : *list)
            if (marker >= pos + count) marker -= count;
    size_ -= count;
    // Bytes that were apart now stand side by side and may form a marker.
    IndexMarkersIn(junction, pos);
}

std::string PackageImage::Substr(uint64_t pos, uint64_t count) const {
    std::string out;
    if (pos >= size_) return out;
    count = std::min(count, size_ - pos);
    out.reserve(static_cast<size_t>(count));
    Location at = Locate(pos);
    for (size_t i = at.piece; count > 0; ++i) {
        const Piece& piece = pieces_[i];
        const uint64_t skip = i == at.piece ? at.offset : 0;
        const uint64_t take = std::min(count, piece.length - skip);
        out.append(buffers_[piece.buffer], static_cast<size_t>(piece.offset + skip),
                   static_cast<size_t>(take));
        count -= take;
    }
    return out;
}

bool PackageImage::MatchesAt(uint64_t pos, std::string_view bytes) const {
    if (pos > size_ || bytes.size() > size_ - pos) return false;
    if (bytes.empty()) return true;
    Location at = Locate(pos);
    for (size_t i = at.piece; !bytes.empty(); ++i) {
        const Piece& piece = pieces_[i];
        const uint64_t skip = i == at.piece ? at.offset : 0;
        const size_t take = static_cast<size_t>(std::min<uint64_t>(bytes.size(), piece.length - skip));
        if (std::memcmp(buffers_[piece.buffer].data() + piece.offset + skip, bytes.data(), take) != 0)
            return false;
        bytes.remove_prefix(take);
    }
    return true;
}

std::optional<uint64_t> PackageImage::FindFirst(MarkerKind kind, std::string_view rest) const {
    for (uint64_t marker : kind == MarkerKind::Start ? starts_ : ends_)
        if (MatchesAt(marker + kPrefixLength, rest)) return marker;
    return std::nullopt;
}

void PackageImage::ForgetMarkersIn(uint64_t from, uint64_t to) {
    for (auto* list : {&starts_, &ends_}) {
        auto first = std::lower_bound(list->begin(), list->end(), from);
        auto last = std::lower_bound(first, list->end(), to);
        list->erase(first, last);
    }
}

void PackageImage::IndexMarkersIn(uint64_t from, uint64_t to) {
    // Candidates are the '!' bytes at from+2 .. to+1 whose marker fits in the image.
    const uint64_t probeBegin = from + kProbeOffset;
    const uint64_t probeEnd = std::min(to + kProbeOffset, Below(size_, kPrefixLength - kProbeOffset - 1));
    if (probeBegin >= probeEnd) return;

    const std::string& startPrefix = StartPrefix();
    const std::string& endPrefix = EndPrefix();
    std::vector<uint64_t> newStarts;
    std::vector<uint64_t> newEnds;
    Location at = Locate(probeBegin);
    for (size_t i = at.piece; i < pieces_.size() && pieceStarts_[i] < probeEnd; ++i) {
        const Piece& piece = pieces_[i];
        const char* base = buffers_[piece.buffer].data() + piece.offset;
        const uint64_t begin = i == at.piece ? at.offset : 0;
        const uint64_t end = std::min(piece.length, probeEnd - pieceStarts_[i]);
        for (const char* p = base + begin; p < base + end;) {
            p = static_cast<const char*>(std::memchr(p, kProbe, static_cast<size_t>(base + end - p)));
            if (!p) break;
            const uint64_t candidate = pieceStarts_[i] + static_cast<uint64_t>(p - base) - kProbeOffset;
            if (MatchesAt(candidate, startPrefix))
                newStarts.push_back(candidate);
            else if (MatchesAt(candidate, endPrefix))
                newEnds.push_back(candidate);
            ++p;
        }
    }
    // Nothing is indexed inside [from, to) at this point, so each batch slots in whole.
    for (auto [list, batch] : {std::pair{&starts_, &newStarts}, std::pair{&ends_, &newEnds}}) {
        auto where = std::lower_bound(list->begin(), list->end(), from);
        list->insert(where, batch->begin(), batch->end());
    }
}

}  // namespace kolvane
