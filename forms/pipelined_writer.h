// A writer whose pages are rendered on a thread of its own, beside the
// library that builds them: a comparison's pages are tens of thousands of
// small tables, and rendering each while the library waited left a core idle.
//
//   TPipelinedWriter<TProgressWriter<THtmlWriter, bool&>> writer(progress, settings);
//   report.Write(&writer, context);
//
// The library's calls that hand over only texts and numbers (categories,
// pages, titles, tables cell by cell, grids of modest size) are queued and
// carried out in order on the rendering thread. Every other call (one that
// hands over instances, classes or declarations, answers something, or
// begins or ends the report) waits for the queue to empty and is carried out
// at once on the library's thread, as are the calls the writer makes of
// itself meanwhile. So the writer's state is only ever used by one thread at
// a time, in the library's order, and the output is the base writer's own.
//
// For a base writer whose queued calls use only its own state and the values
// they are handed, and whose EncodeValue and GetArraySeparatorText read no
// state (they are not queued). THtmlWriter is one: the rendering thread reads
// the repository only through the properties a grid cell holds and the
// record of a row, which no report changes.
//
// A queued call that fails throws at the library's next call instead. The
// queue holds at most about a million cells, so that it never holds much
// more than the table the library builds; a larger grid waits for the queue.
#ifndef QZA_HOST_PIPELINED_WRITER_H
#define QZA_HOST_PIPELINED_WRITER_H

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "writer/writer.h"

// Calls carried out in order on a thread of their own.
class TCallQueue {
 public:
  TCallQueue();
  // The calls still queued are carried out first.
  ~TCallQueue();
  TCallQueue(const TCallQueue&) = delete;
  TCallQueue& operator=(const TCallQueue&) = delete;

  // Queues the call, weighing 1 + cells; the queue's thread takes the calls
  // a batch at a time. A call made from within a call is carried out now.
  // Throws the failure of a call queued before, once.
  void Queue(std::function<void()> call, size_t cells = 0);
  // Carries the calls still queued, then this one, out now on this thread.
  void AtOnce(const std::function<void()>& call);

 private:
  struct TCall {
    std::function<void()> fCall;
    size_t fWeight;
  };
  // fAtOnce set for its length.
  struct TAtOnce {
    explicit TAtOnce(bool& flag) : fFlag(flag) { fFlag = true; }
    ~TAtOnce() { fFlag = false; }
    bool& fFlag;
  };

  bool CalledFromWithin() const;
  void TakeOver(std::unique_lock<std::mutex>& lock);
  static void CarryOut(std::deque<TCall>& calls, std::exception_ptr& failure);
  void Run();

  std::mutex fMutex;
  std::condition_variable fQueued;
  std::condition_variable fDone;
  std::deque<TCall> fCalls;
  size_t fQueuedWeight = 0;
  bool fRunning = false;  // the queue's thread is carrying out a batch
  bool fStopping = false;
  std::exception_ptr fFailure;  // of a call carried out, not yet thrown
  bool fAtOnce = false;         // the calling thread is carrying out calls itself
  std::thread fThread;
};

template <class TBase>
class TPipelinedWriter : public TBase {
 public:
  using TNamespacePtr = TWriter::TNamespacePtr;
  using TInstancePtr = TWriter::TInstancePtr;
  using TInstances = TWriter::TInstances;
  using TPropertyPtr = TWriter::TPropertyPtr;
  using TReportProperty = TWriter::TReportProperty;

  template <class... TArguments>
  explicit TPipelinedWriter(TArguments&&... arguments) : TBase(std::forward<TArguments>(arguments)...) {}

  // Carried out at once, after the queue.
  void Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) override {
    fCalls.AtOnce([&] { TBase::Initialize(ns, context, outputTarget); });
  }
  void EndReport() override {
    fCalls.AtOnce([&] { TBase::EndReport(); });
  }
  std::string GetPageOutput() override {
    std::string output;
    fCalls.AtOnce([&] { output = TBase::GetPageOutput(); });
    return output;
  }
  void WriteKeelRAIDEventLog(TInstances records, std::string title, std::string linkName) override {
    fCalls.AtOnce([&] { TBase::WriteKeelRAIDEventLog(records, title, linkName); });
  }
  void WriteEventLogReport(TReportParameters page) override {
    fCalls.AtOnce([&] { TBase::WriteEventLogReport(page); });
  }
  void WriteMergedLogPage(TReportParameters page) override {
    fCalls.AtOnce([&] { TBase::WriteMergedLogPage(page); });
  }
  void BeginVellumAnalysis() override {
    fCalls.AtOnce([&] { TBase::BeginVellumAnalysis(); });
  }
  void WriteVellumDeviceRow(TInstancePtr device, TReportProperty column1, TReportProperty column2,
                            TReportProperty column3, TReportProperty column4, TReportProperty column5,
                            TReportProperty column6, TReportProperty column7, TReportProperty column8,
                            int32_t rowIndex) override {
    fCalls.AtOnce([&] {
      TBase::WriteVellumDeviceRow(device, column1, column2, column3, column4, column5, column6, column7, column8,
                                  rowIndex);
    });
  }
  void WriteDriveHealthSummary(TPropertyPtr rawData) override {
    fCalls.AtOnce([&] { TBase::WriteDriveHealthSummary(rawData); });
  }
  void WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) override {
    fCalls.AtOnce([&] { TBase::WriteDeclarationCell(declaration); });
  }
  void WriteDriveHealthTable(TInstancePtr record, TPropertyPtr property) override {
    fCalls.AtOnce([&] { TBase::WriteDriveHealthTable(record, property); });
  }
  void WriteRegisterTable(TInstancePtr record, std::string value) override {
    fCalls.AtOnce([&] { TBase::WriteRegisterTable(record, value); });
  }
  void WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) override {
    fCalls.AtOnce([&] { TBase::WriteHeaderCell(cimClass, column); });
  }
  void WriteValueCell(TInstancePtr instance, TReportProperty column) override {
    fCalls.AtOnce([&] { TBase::WriteValueCell(instance, column); });
  }
  void WriteInstanceCell(TInstancePtr instance, TReportProperty column) override {
    fCalls.AtOnce([&] { TBase::WriteInstanceCell(instance, column); });
  }

  // Once the calls still queued are carried out: a report that stops before
  // EndReport (an ESXi report does, on a failure) leaves some.
  const std::vector<std::string>& GetFailures() const override {
    fCalls.AtOnce([] {});
    return TBase::GetFailures();
  }

  // Queued. The flags the library hands over by reference are only read.
  void BeginFirstCategory() override {
    fCalls.Queue([this] { TBase::BeginFirstCategory(); });
  }
  void BeginNextCategory() override {
    fCalls.Queue([this] { TBase::BeginNextCategory(); });
  }
  void WriteCategoryTitle(std::string title) override {
    fCalls.Queue([this, title] { TBase::WriteCategoryTitle(title); });
  }
  void OpenPage(std::string pagePath) override {
    fCalls.Queue([this, pagePath] { TBase::OpenPage(pagePath); });
  }
  void ClosePage() override {
    fCalls.Queue([this] { TBase::ClosePage(); });
  }
  void BeginPageBody() override {
    fCalls.Queue([this] { TBase::BeginPageBody(); });
  }
  void EndPageBody() override {
    fCalls.Queue([this] { TBase::EndPageBody(); });
  }
  void WritePageTitle(std::string title, std::string linkText, std::string linkTarget) override {
    fCalls.Queue([this, title, linkText, linkTarget] { TBase::WritePageTitle(title, linkText, linkTarget); });
  }
  void RegisterPage(std::string linkName, std::string pageName, bool& hasContent) override {
    fCalls.Queue([this, linkName, pageName, content = hasContent]() mutable {
      TBase::RegisterPage(linkName, pageName, content);
    });
  }
  void WriteSeparator() override {
    fCalls.Queue([this] { TBase::WriteSeparator(); });
  }
  void WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) override {
    fCalls.Queue([this, title, subTitle = subTitleEnabled, second = secondFlag]() mutable {
      TBase::WriteTableTitle(title, subTitle, second);
    });
  }
  void BeginGridTable(std::string width, std::string caption, bool sortable) override {
    fCalls.Queue([this, width, caption, sortable] { TBase::BeginGridTable(width, caption, sortable); });
  }
  void BeginPropertyTable(std::string width, std::string labelWidth, std::string title) override {
    fCalls.Queue([this, width, labelWidth, title] { TBase::BeginPropertyTable(width, labelWidth, title); });
  }
  void EndGridHeader() override {
    fCalls.Queue([this] { TBase::EndGridHeader(); });
  }
  void BeginRow(bool& flag) override {
    fCalls.Queue([this, value = flag]() mutable { TBase::BeginRow(value); });
  }
  void EndRow() override {
    fCalls.Queue([this] { TBase::EndRow(); });
  }
  void EndTable() override {
    fCalls.Queue([this] { TBase::EndTable(); });
  }
  void SetRawDataLink(int32_t link) override {
    fCalls.Queue([this, link] { TBase::SetRawDataLink(link); });
  }
  void WriteTableGrid(TTableGrid grid) override {
    const size_t cells = static_cast<size_t>(std::max(grid.fRows, 0)) * static_cast<size_t>(std::max(grid.fColumns, 0));
    if (cells > kMostQueuedGridCells) {
      fCalls.AtOnce([&] { TBase::WriteTableGrid(std::move(grid)); });
      return;
    }
    // A queued function must be copyable: it shares the grid, which is moved on when written.
    auto held = std::make_shared<TTableGrid>(std::move(grid));
    fCalls.Queue([this, held] { TBase::WriteTableGrid(std::move(*held)); }, cells);
  }
  void WritePropertyCell(TReportProperty column, std::string text) override {
    fCalls.Queue([this, column, text] { TBase::WritePropertyCell(column, text); });
  }
  void WriteMessageCell(std::string message, TReportProperty column) override {
    fCalls.Queue([this, message, column] { TBase::WriteMessageCell(message, column); });
  }
  void WritePageHeading() override {
    fCalls.Queue([this] { TBase::WritePageHeading(); });
  }
  void WriteVellumHeading() override {
    fCalls.Queue([this] { TBase::WriteVellumHeading(); });
  }

 private:
  // A larger grid is written at once: queued, it would be held beside the
  // next one the library builds.
  static constexpr size_t kMostQueuedGridCells = size_t(1) << 16;

  // Destroyed before the base writer: the calls still queued find it whole.
  mutable TCallQueue fCalls;
};

#endif
