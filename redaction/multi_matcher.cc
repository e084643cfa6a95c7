#include "redaction/multi_matcher.h"

#include <algorithm>
#include <cctype>
#include <deque>

namespace NVKXQZA20::NRedaction {

namespace {

unsigned char Lower(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

bool IsWordByte(std::string_view text, size_t i) {
  if (i >= text.size()) return false;
  const unsigned char c = Lower(text[i]);
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

uint64_t EdgeKey(int32_t node, unsigned char c) { return (static_cast<uint64_t>(node) << 8) | c; }

}  // namespace

TMultiMatcher::TMultiMatcher() : fNodes(1) {}

int32_t TMultiMatcher::Child(int32_t node, unsigned char c) const {
  auto edge = fEdges.find(EdgeKey(node, c));
  return edge == fEdges.end() ? -1 : edge->second;
}

void TMultiMatcher::Add(std::string_view word, size_t id, bool wholeWord) {
  if (word.empty()) return;
  int32_t node = 0;
  for (char c : word) {
    int32_t child = Child(node, Lower(c));
    if (child < 0) {
      child = static_cast<int32_t>(fNodes.size());
      fNodes.emplace_back();
      fEdges.emplace(EdgeKey(node, Lower(c)), child);
    }
    node = child;
  }
  if (fNodes[node].fWordLength != 0) return;
  fNodes[node].fWordLength = static_cast<int32_t>(word.size());
  fNodes[node].fId = id;
  fNodes[node].fWholeWord = wholeWord;
  ++fWordCount;
  fBuilt = false;
}

// Breadth first, so that a node's fail target and its moves are complete
// before the node's.
void TMultiMatcher::Build() {
  fClassOf.fill(0);
  fClassCount = 1;
  for (const auto& edge : fEdges) {
    const unsigned char c = static_cast<unsigned char>(edge.first & 0xFF);
    if (fClassOf[c] == 0) fClassOf[c] = static_cast<uint8_t>(fClassCount++);
  }
  // Matching ignores case: an upper-case byte moves as its lower case.
  for (int c = 0; c < 256; ++c) fClassOf[c] = fClassOf[Lower(static_cast<char>(c))];
  std::vector<std::vector<std::pair<size_t, int32_t>>> children(fNodes.size());
  for (const auto& edge : fEdges) {
    children[edge.first >> 8].emplace_back(fClassOf[edge.first & 0xFF], edge.second);
  }
  fMoves.assign(fNodes.size() * fClassCount, 0);
  std::deque<int32_t> queue;
  for (const auto& [cls, child] : children[0]) {
    fMoves[cls] = child;
    fNodes[child].fFail = 0;
    queue.push_back(child);
  }
  fNodes[0].fOutput = -1;
  while (!queue.empty()) {
    const int32_t node = queue.front();
    queue.pop_front();
    TNode& current = fNodes[node];
    current.fOutput = current.fWordLength != 0 ? node : fNodes[current.fFail].fOutput;
    int32_t* moves = &fMoves[node * fClassCount];
    const int32_t* failMoves = &fMoves[current.fFail * fClassCount];
    std::copy(failMoves, failMoves + fClassCount, moves);
    for (const auto& [cls, child] : children[node]) {
      fNodes[child].fFail = failMoves[cls];
      moves[cls] = child;
      queue.push_back(child);
    }
  }
  fBuilt = true;
}

std::vector<TMatch> TMultiMatcher::Find(std::string_view text) {
  if (!fBuilt) Build();
  std::vector<TMatch> found;
  if (fWordCount == 0) return found;
  int32_t node = 0;
  const int32_t* moves = fMoves.data();
  for (size_t i = 0; i < text.size(); ++i) {
    node = moves[node * fClassCount + fClassOf[static_cast<unsigned char>(text[i])]];
    // The longest word ending here that stands where it may.
    for (int32_t out = fNodes[node].fOutput; out >= 0; out = fNodes[fNodes[out].fFail].fOutput) {
      const TNode& word = fNodes[out];
      const size_t start = i + 1 - word.fWordLength;
      if (!word.fWholeWord || (!(start > 0 && IsWordByte(text, start - 1)) && !IsWordByte(text, i + 1))) {
        found.push_back({start, static_cast<size_t>(word.fWordLength), word.fId});
        break;
      }
    }
  }
  // Leftmost first, longest of those; then none that overlaps one taken.
  std::sort(found.begin(), found.end(), [](const TMatch& a, const TMatch& b) {
    return a.fStart != b.fStart ? a.fStart < b.fStart : a.fLength > b.fLength;
  });
  std::vector<TMatch> taken;
  for (const TMatch& match : found) {
    if (taken.empty() || match.fStart >= taken.back().fStart + taken.back().fLength) taken.push_back(match);
  }
  return taken;
}

}  // namespace NVKXQZA20::NRedaction
