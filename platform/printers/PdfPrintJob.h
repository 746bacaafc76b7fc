#pragma once
// A print job that renders its pages into a PDF document in memory and hands
// the finished document to a delivery routine (write a file, submit to a
// queue). Text stays text: the document is searchable.
#include "platform/printers/PrinterBackend.h"

#include <functional>
#include <memory>
#include <string>

namespace qel {

class TPdfPrintJob : public TPrintJob {
public:
    // Deliver receives the whole document at EndDoc and answers the
    // spooler's job number (0 for a file); an exception from it fails
    // EndDoc. PaperOf answers the paper of a page's mode.
    using TDeliver = std::function<int(const std::string& Bytes)>;
    using TPaperOf = std::function<TPrinterPaper(const TDeviceMode& Mode)>;
    TPdfPrintJob(const std::string& Title, int Resolution, TPaperOf PaperOf, TDeliver Deliver);
    ~TPdfPrintJob() override;

    int JobId() const override { return m_jobId; }
    void StartPage(const TDeviceMode& Mode) override;
    void BindCanvas(TCanvas& Canvas) override;
    void UnbindCanvas(TCanvas& Canvas) override;
    void EndPage() override;
    void EndDoc() override;
    void Abort() override;

    int PagesEnded() const { return m_pagesEnded; }

private:
    struct Impl;
    void Drop();

    int m_jobId{0};
    std::string m_title;
    int m_resolution;
    TPaperOf m_paperOf;
    TDeliver m_deliver;
    std::unique_ptr<Impl> m_impl;
    int m_pagesEnded{0};
    bool m_pageOpen{false};
    bool m_done{false};
};

} // namespace qel
