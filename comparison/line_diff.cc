#include "comparison/line_diff.h"

#include <algorithm>
#include <unordered_map>

namespace {

std::vector<std::string_view> SplitLines(const std::string& text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.emplace_back(text.data() + start, end - start);
    start = end + 1;
  }
  return lines;
}

// The furthest x reached on each diagonal k = x - y after some number of
// edits; diagonals from -kMaxDiffEdits - 1 to kMaxDiffEdits + 1.
class TFrontier {
 public:
  TFrontier() : fX(2 * kMaxDiffEdits + 3, 0) {}
  int& operator[](long k) { return fX[static_cast<size_t>(k + static_cast<long>(kMaxDiffEdits) + 1)]; }
  // The diagonals -d..d, kept for the way back.
  std::vector<int> Snapshot(long d) {
    auto first = fX.begin() + (static_cast<long>(kMaxDiffEdits) + 1 - d);
    return std::vector<int>(first, first + 2 * d + 1);
  }

 private:
  std::vector<int> fX;
};

int At(const std::vector<int>& snapshot, long d, long k) { return snapshot[static_cast<size_t>(k + d)]; }

// Comes down from diagonal k + 1 (an added line) or k - 1 (a removed line).
bool FromAbove(long k, long d, int below, int above) { return k == -d || (k != d && below < above); }

class TMyers {
 public:
  TMyers(const std::vector<int>& a, const std::vector<int>& b) : fA(a), fB(b) {}

  // The script as (change, index into a or b) from the start, or false when
  // the bound is reached.
  bool Run(std::vector<std::pair<ELineChange, size_t>>& script) {
    const long n = static_cast<long>(fA.size());
    const long m = static_cast<long>(fB.size());
    TFrontier v;
    v[1] = 0;
    size_t steps = 0;
    for (long d = 0; d <= static_cast<long>(kMaxDiffEdits) && steps <= kMaxDiffSteps; ++d) {
      for (long k = -d; k <= d; k += 2) {
        long x = FromAbove(k, d, v[k - 1], v[k + 1]) ? v[k + 1] : v[k - 1] + 1;
        long y = x - k;
        while (x < n && y < m && fA[static_cast<size_t>(x)] == fB[static_cast<size_t>(y)]) ++x, ++y, ++steps;
        v[k] = static_cast<int>(x);
        if (x >= n && y >= m) {
          fTrace.push_back(v.Snapshot(d));
          Backtrack(d, n, m, script);
          return true;
        }
      }
      steps += static_cast<size_t>(2 * d + 1);
      fTrace.push_back(v.Snapshot(d));
    }
    return false;
  }

 private:
  void Backtrack(long edits, long x, long y, std::vector<std::pair<ELineChange, size_t>>& script) const {
    for (long d = edits; d > 0; --d) {
      const std::vector<int>& previous = fTrace[static_cast<size_t>(d - 1)];
      const long k = x - y;
      const bool above = FromAbove(k, d, k - 1 >= -(d - 1) ? At(previous, d - 1, k - 1) : 0,
                                   k + 1 <= d - 1 ? At(previous, d - 1, k + 1) : 0);
      const long previousK = above ? k + 1 : k - 1;
      const long previousX = At(previous, d - 1, previousK);
      const long previousY = previousX - previousK;
      for (; x > previousX && y > previousY; --y) script.emplace_back(ELineChange::kKept, static_cast<size_t>(--x));
      if (above) {
        script.emplace_back(ELineChange::kAdded, static_cast<size_t>(previousY));
      } else {
        script.emplace_back(ELineChange::kRemoved, static_cast<size_t>(previousX));
      }
      x = previousX;
      y = previousY;
    }
    while (x > 0) script.emplace_back(ELineChange::kKept, static_cast<size_t>(--x));
    std::reverse(script.begin(), script.end());
  }

  const std::vector<int>& fA;
  const std::vector<int>& fB;
  std::vector<std::vector<int>> fTrace;
};

}  // namespace

TLineDiff DiffLines(const std::string& base, const std::string& other) {
  const std::vector<std::string_view> a = SplitLines(base);
  const std::vector<std::string_view> b = SplitLines(other);
  size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;

  // Lines compare as numbers: equal lines get one number.
  std::unordered_map<std::string_view, int> numbers;
  auto numbered = [&numbers](const std::vector<std::string_view>& lines, size_t first, size_t last) {
    std::vector<int> result;
    result.reserve(last - first);
    for (size_t i = first; i < last; ++i) result.push_back(numbers.emplace(lines[i], numbers.size()).first->second);
    return result;
  };
  const std::vector<int> middleA = numbered(a, head, a.size() - tail);
  const std::vector<int> middleB = numbered(b, head, b.size() - tail);

  TLineDiff diff;
  for (size_t i = 0; i < head; ++i) diff.fLines.push_back({ELineChange::kKept, a[i]});
  std::vector<std::pair<ELineChange, size_t>> script;
  diff.fShortest = TMyers(middleA, middleB).Run(script);
  if (!diff.fShortest) {
    script.clear();
    for (size_t i = 0; i < middleA.size(); ++i) script.emplace_back(ELineChange::kRemoved, i);
    for (size_t i = 0; i < middleB.size(); ++i) script.emplace_back(ELineChange::kAdded, i);
  }
  for (const auto& step : script) {
    diff.fLines.push_back({step.first, step.first == ELineChange::kAdded ? b[head + step.second] : a[head + step.second]});
  }
  for (size_t i = a.size() - tail; i < a.size(); ++i) diff.fLines.push_back({ELineChange::kKept, a[i]});
  return diff;
}
