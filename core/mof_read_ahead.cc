// The MOF reader's reading ahead: a long run of instances split into pieces
// that threads read while this one adds what they read in text order.
#include <sys/mman.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "core/mof_load.h"

namespace NVKXQZA20 {

namespace {

// Pieces of about pieceBytes from begin, each after the first starting at a
// line that starts with "instance": where a production most likely begins.
// The pieces are checked against each other as they are read.
std::vector<TTextPiece> SplitText(const char* begin, TPosition at, const char* end, size_t pieceBytes) {
  std::vector<TTextPiece> pieces{TTextPiece(begin, end, at)};
  static const char kStart[] = "\ninstance";
  const size_t startSize = sizeof kStart - 1;
  const size_t size = end - begin;
  for (size_t from = pieceBytes; from < size && size - from > pieceBytes / 2;) {
    const void* found = ::memmem(begin + from, size - from, kStart, startSize);
    if (found == nullptr) break;
    const char* start = static_cast<const char*>(found) + 1;
    from = start - begin;
    if (!HasClass(start[startSize - 1], kBlank) && start[startSize - 1] != '\n') continue;
    pieces.back().fLimit = start;
    pieces.emplace_back(start, end, TPosition{1, 1});
    from += pieceBytes;
  }
  return pieces;
}

}  // namespace

// ------------------------------------------------------------------- read ahead

// A long run of instances is read by threads ahead of this one, a piece
// each, while this one adds what they read in text order: so instances,
// warnings and errors come as reading alone gives them. A piece that meets
// anything else, or an error, ends there, and this thread reads on alone.
bool TMofReader::TSourceParser::MayReadAhead() const {
  return fReader.fReadAheadThreads > 0 && !fReadingAhead && IsKeyword("instance") &&
         static_cast<size_t>(fLexer.End() - fLexer.TokenStart()) >= 2 * fReader.fReadAheadBytes;
}

void TMofReader::TSourceParser::ReadAhead() {
  std::vector<TTextPiece> pieces =
      SplitText(fLexer.TokenStart(), Current().fAt, fLexer.End(), fReader.fReadAheadBytes);
  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0;
  size_t committed = 0;
  bool stop = false;
  // Pieces read but not yet added hold their values: a few per thread.
  const size_t window = 2 * fReader.fReadAheadThreads;
  auto read = [&](TClassCache* classes) {
    for (;;) {
      size_t index;
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return stop || next == pieces.size() || next < committed + window; });
        if (stop || next == pieces.size()) return;
        index = next++;
      }
      ReadPiece(pieces[index], *classes);
      std::lock_guard<std::mutex> lock(mutex);
      pieces[index].fRead = true;
      changed.notify_all();
    }
  };
  std::vector<std::thread> threads;
  auto stopThreads = [&] {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    changed.notify_all();
    for (std::thread& thread : threads) thread.join();
    threads.clear();
  };
  struct TStopper {
    const std::function<void()> fStop;
    ~TStopper() { fStop(); }
  } stopper{stopThreads};
  for (unsigned i = 0; i < fReader.fReadAheadThreads; ++i) threads.emplace_back(read, &fLoad.NewReaderCache());

  int lineShift = 0;
  for (size_t index = 0; index < pieces.size(); ++index) {
    TTextPiece& piece = pieces[index];
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return piece.fRead; });
    }
    for (TInstanceRecord& record : piece.fRecords) Commit(record, lineShift);
    std::vector<TInstanceRecord>().swap(piece.fRecords);
    if (fMapped) LetGo(piece.fBegin, piece.fStop);
    const TPosition stopAt{piece.fStopAt.fLine + lineShift, piece.fStopAt.fColumn};
    const bool last = index + 1 == pieces.size();
    if (last || !piece.fComplete || piece.fStop != pieces[index + 1].fBegin) {
      stopThreads();
      return fLexer.MoveTo(piece.fStop, stopAt);
    }
    lineShift = stopAt.fLine - 1;
    {
      std::lock_guard<std::mutex> lock(mutex);
      committed = index + 1;
    }
    changed.notify_all();
  }
}

// The pages of a mapped text wholly within [begin, end) leave the memory
// of the process; read again, they would come from the file again. A large
// collection's text is as large as a third of what its instances take.
void TMofReader::TSourceParser::LetGo(const char* begin, const char* end) {
  const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + page - 1) / page * page;
  const uintptr_t last = reinterpret_cast<uintptr_t>(end) / page * page;
  if (page > 0 && first < last) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

// On a thread of its own: never throws.
void TMofReader::TSourceParser::ReadPiece(TTextPiece& piece, TClassCache& classes) {
  piece.fStop = piece.fBegin;
  piece.fStopAt = piece.fAt;
  try {
    TSourceParser reader(fLoad, classes, piece.fBegin, piece.fAt, fLexer.End(), fLexer.GetFile());
    reader.fReadingAhead = true;
    reader.RecordPiece(piece);
  } catch (...) {
    // The reader meets the same failure at piece.fStop and reports it.
  }
}

// Adds an instance read ahead as reading it here would have; lineShift
// turns its piece's lines into the text's.
void TMofReader::TSourceParser::Commit(TInstanceRecord& record, int lineShift) {
  auto shifted = [lineShift](TPosition at) { return TPosition{at.fLine + lineShift, at.fColumn}; };
  const std::string& file = fLexer.GetFile();
  if (record.fClass == nullptr) {
    if (!record.fAlias.empty()) {
      fLoad.DefineAlias(record.fAlias, boost::shared_ptr<ICIMInstance>(), fLoad.Place(file, shifted(record.fAliasAt)));
    }
    return WarnOfUndeclared(record.fClassName, shifted(record.fClassAt));
  }
  boost::shared_ptr<ICIMInstance> instance =
      CreateInstance(*record.fClass, shifted(record.fClassAt), std::move(record.fSettings));
  if (!record.fAlias.empty()) fLoad.DefineAlias(record.fAlias, instance, fLoad.Place(file, shifted(record.fAliasAt)));
  for (TRecordedValue& value : record.fReferences) {
    value.fAt = shifted(value.fAt);
    Apply(instance, value);
  }
  fLoad.AddInstance(instance, *record.fClass, fLoad.Place(file, shifted(record.fClassAt)));
  ++fReader.fInstanceCount;
}

}  // namespace NVKXQZA20
