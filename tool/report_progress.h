// The progress of a report run: counts the pages the library registers and,
// on a terminal, shows the category and page being written on one line that
// is rewritten in place and cleared at the end. The counts feed the tool's
// summary line.
//
//   TReportProgress progress(std::cerr, ::isatty(2));
//   TProgressWriter<THtmlWriter, bool&> writer(progress, settings);
//   report.Write(&writer, context);
//   progress.Clear();
#ifndef QZA_HOST_REPORT_PROGRESS_H
#define QZA_HOST_REPORT_PROGRESS_H

#include <cstddef>
#include <ostream>
#include <map>
#include <string>
#include <utility>

// "1 page", "2 pages".
std::string CountOfPages(size_t count);

class TReportProgress {
 public:
  // Nothing is shown unless show is set; the pages are counted either way.
  TReportProgress(std::ostream& terminal, bool show);
  ~TReportProgress();
  TReportProgress(const TReportProgress&) = delete;
  TReportProgress& operator=(const TReportProgress&) = delete;

  void CategoryOpened();
  void CategoryTitled(const std::string& title);
  void PageOpened(const std::string& pagePath);
  // A link registered again (by a second generator) is one page.
  void PageRegistered(const std::string& linkName, bool hasContent);
  // Any other step of a run ("collecting: PCI devices"), on the same line.
  void StepStarted(const std::string& step);
  // Erases the progress line; the next output starts on a clean line.
  void Clear();

  size_t PagesWritten() const { return fHasContent.size(); }
  size_t PagesWithoutContent() const;

 private:
  void Show(const std::string& line);

  std::ostream& fTerminal;
  bool fShow;
  std::string fCategory;
  std::map<std::string, bool> fHasContent;  // by link name
  size_t fShownLength = 0;
};

// A writer that tells the progress about the category and page operations
// the library calls on it. THasContent is the type of RegisterPage's flag:
// bool& for TWriter's writers, bool for those of TWriter_vmwesxi.
template <class TBase, class THasContent>
class TProgressWriter : public TBase {
 public:
  template <class... TArguments>
  explicit TProgressWriter(TReportProgress& progress, TArguments&&... arguments)
      : TBase(std::forward<TArguments>(arguments)...), fProgress(progress) {}

  void BeginFirstCategory() override {
    TBase::BeginFirstCategory();
    fProgress.CategoryOpened();
  }
  void BeginNextCategory() override {
    TBase::BeginNextCategory();
    fProgress.CategoryOpened();
  }
  void WriteCategoryTitle(std::string title) override {
    TBase::WriteCategoryTitle(title);
    fProgress.CategoryTitled(title);
  }
  void OpenPage(std::string pagePath) override {
    fProgress.PageOpened(pagePath);
    TBase::OpenPage(pagePath);
  }
  void RegisterPage(std::string linkName, std::string pageName, THasContent hasContent) override {
    TBase::RegisterPage(linkName, pageName, hasContent);
    fProgress.PageRegistered(linkName, hasContent);
  }

 private:
  TReportProgress& fProgress;
};

#endif
