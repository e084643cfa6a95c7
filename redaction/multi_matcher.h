// Finds many words in a text in one pass (an Aho-Corasick automaton over
// lower-case bytes): leftmost, then longest, matches that do not overlap.
//
//   TMultiMatcher words;
//   words.Add("db1", 0, true);     // whole word: no letter or digit beside it
//   words.Add("acme", 1, false);   // anywhere, inside other words too
//   words.Find("db1 at ACMEcorp");  // {0, 3, 0}, {7, 4, 1}
#ifndef QZA_REDACTION_MULTI_MATCHER_H
#define QZA_REDACTION_MULTI_MATCHER_H

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace NVKXQZA20::NRedaction {

struct TMatch {
  size_t fStart;
  size_t fLength;
  size_t fId;
};

class TMultiMatcher {
 public:
  TMultiMatcher();
  // Words compare case-insensitively (ASCII); an empty word is ignored, a
  // word added twice keeps its first id.
  void Add(std::string_view word, size_t id, bool wholeWord);
  bool Empty() const { return fWordCount == 0; }
  // Builds the automaton when words were added since; then finds them.
  std::vector<TMatch> Find(std::string_view text);

 private:
  struct TNode {
    int32_t fFail = 0;
    int32_t fOutput = -1;    // the node of the longest word ending here, itself or by fail links
    int32_t fWordLength = 0; // of the word ending at this node, 0 for none
    size_t fId = 0;
    bool fWholeWord = false;
  };
  int32_t Child(int32_t node, unsigned char c) const;
  void Build();

  std::vector<TNode> fNodes;
  std::unordered_map<uint64_t, int32_t> fEdges;  // node << 8 | byte, while words are added
  // The automaton's every move, dense: fMoves[node * fClassCount + fClassOf[byte]].
  // Bytes that no word holds share class 0, so the table stays small.
  std::array<uint8_t, 256> fClassOf{};
  size_t fClassCount = 1;
  std::vector<int32_t> fMoves;
  size_t fWordCount = 0;
  bool fBuilt = true;
};

}  // namespace NVKXQZA20::NRedaction

#endif
