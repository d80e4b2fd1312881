#include "answerbank/search/ApproximateMatcher.h"

#include <algorithm>

namespace {

constexpr uint64_t kTopBit = uint64_t{1} << 63;

// One 64-row block of one DP column (Myers 1999, block step). `carryIn` is the
// horizontal difference entering at the block's top row (-1, 0 or +1); the one
// leaving at `bottomBit` is returned. Rows above the pattern's end in the last
// block hold garbage that never flows down: carries and shifts only go up.
inline int AdvanceBlock(uint64_t& plus, uint64_t& minus, uint64_t equal, int carryIn, uint64_t bottomBit) {
  const uint64_t carryNegative = carryIn < 0 ? 1 : 0;
  const uint64_t xv = equal | minus;
  equal |= carryNegative;
  const uint64_t xh = (((equal & plus) + plus) ^ plus) | equal;
  uint64_t hPlus = minus | ~(xh | plus);
  uint64_t hMinus = plus & xh;
  const int carryOut = (hPlus & bottomBit) ? 1 : (hMinus & bottomBit) ? -1 : 0;
  hPlus = (hPlus << 1) | (carryIn > 0 ? 1 : 0);
  hMinus = (hMinus << 1) | carryNegative;
  plus = hMinus | ~(xv | hPlus);
  minus = hPlus & xv;
  return carryOut;
}

}  // namespace

ApproximateMatcher::ApproximateMatcher(const std::u32string& pattern, int maxDistance)
    : m_(static_cast<int>(std::min(pattern.size(), kLongestPattern))),
      // No passage is further than m: every pattern character left out.
      maxDistance_(std::clamp(maxDistance, 0, m_)),
      blocks_((static_cast<size_t>(m_) + 63) / 64),
      lastRowBit_(uint64_t{1} << ((m_ + 63) % 64)),
      bmpSymbols_(0x10000, 0),
      plus_(blocks_, ~uint64_t{0}),
      minus_(blocks_, 0),
      backPlus_(blocks_),
      backMinus_(blocks_),
      score_(m_),
      recentSymbols_(static_cast<size_t>(m_ + maxDistance_)),
      recentStarts_(recentSymbols_.size()),
      best_(maxDistance_ + 1) {
  const std::u32string used = pattern.substr(0, static_cast<size_t>(m_));
  std::u32string distinct = used;
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  uint16_t symbol = 0;
  for (char32_t c : distinct) {
    ++symbol;
    if (c < 0x10000) {
      bmpSymbols_[c] = symbol;
    } else {
      otherSymbols_.emplace_back(c, symbol);
    }
  }
  const size_t tableSize = (distinct.size() + 1) * blocks_;
  forwardMatches_.assign(tableSize, 0);
  backwardMatches_.assign(tableSize, 0);
  Fill(forwardMatches_, used, false);
  Fill(backwardMatches_, used, true);
}

uint16_t ApproximateMatcher::SymbolOf(char32_t c) const {
  if (c < 0x10000) return bmpSymbols_[c];
  const auto it = std::lower_bound(otherSymbols_.begin(), otherSymbols_.end(), std::make_pair(c, uint16_t{0}));
  return it != otherSymbols_.end() && it->first == c ? it->second : 0;
}

void ApproximateMatcher::Fill(std::vector<uint64_t>& table, const std::u32string& pattern, bool reversed) {
  for (int i = 0; i < m_; ++i) {
    const char32_t c = pattern[static_cast<size_t>(reversed ? m_ - 1 - i : i)];
    table[SymbolOf(c) * blocks_ + static_cast<size_t>(i / 64)] |= uint64_t{1} << (i % 64);
  }
}

void ApproximateMatcher::Push(char32_t c, long long boxStart, long long boxEnd) {
  if (m_ == 0) return;
  const uint16_t symbol = SymbolOf(c);
  const long long end = pushed_++;
  const size_t slot = static_cast<size_t>(end % static_cast<long long>(recentSymbols_.size()));
  recentSymbols_[slot] = symbol;
  recentStarts_[slot] = boxStart;

  // The top row is 0 in every column: a passage may start anywhere.
  const uint64_t* equal = &forwardMatches_[symbol * blocks_];
  int carry = 0;
  for (size_t b = 0; b < blocks_; ++b) {
    carry = AdvanceBlock(plus_[b], minus_[b], equal[b], carry, b + 1 == blocks_ ? lastRowBit_ : kTopBit);
  }
  score_ += carry;

  if (score_ > best_ || score_ > maxDistance_) return;
  if (score_ < best_) {
    best_ = score_;
    passages_.clear();
    lastEnd_ = -1;
  }
  // A passage of distance d is at least m - d and at most m + d characters long.
  const long long window = std::min<long long>(end - lastEnd_, m_ + best_);
  if (window < m_ - best_) return;
  const long long length = ShortestPassage(end, window);
  if (length == 0) return;
  const long long start = recentStarts_[static_cast<size_t>((end - length + 1) % static_cast<long long>(recentStarts_.size()))];
  passages_.push_back({start, boxEnd - start});
  lastEnd_ = end;
}

long long ApproximateMatcher::ShortestPassage(long long end, long long window) {
  std::fill(backPlus_.begin(), backPlus_.end(), ~uint64_t{0});
  std::fill(backMinus_.begin(), backMinus_.end(), 0);
  const long long ring = static_cast<long long>(recentSymbols_.size());
  int score = m_;
  for (long long length = 1; length <= window; ++length) {
    const uint16_t symbol = recentSymbols_[static_cast<size_t>((end - length + 1) % ring)];
    const uint64_t* equal = &backwardMatches_[symbol * blocks_];
    // The passage's end is anchored: each text character left out of it costs one.
    int carry = 1;
    for (size_t b = 0; b < blocks_; ++b) {
      carry = AdvanceBlock(backPlus_[b], backMinus_[b], equal[b], carry, b + 1 == blocks_ ? lastRowBit_ : kTopBit);
    }
    score += carry;
    // No passage ending here is closer than best_, so the first length to
    // reach it is the shortest passage.
    if (score <= best_) return length;
  }
  return 0;
}
