#pragma once
// TPdfDocument: a PDF file as a paged drawing target. The file appears whole
// on EndDoc, or not at all.
#include "platform/graphics/Canvas.h"

#include <memory>
#include <string>

namespace qel {

class TPdfDocument {
public:
    explicit TPdfDocument(const std::string& FileName);
    ~TPdfDocument();                           // without EndDoc nothing is written
    TPdfDocument(const TPdfDocument&) = delete;
    TPdfDocument& operator=(const TPdfDocument&) = delete;

    // Page size in tenths of a millimetre (A4: 2100 x 2970); before BeginDoc.
    void SetPageSize(int WidthTenthMm, int HeightTenthMm);
    void SetPageSizePoints(double WidthPt, double HeightPt);
    int PageWidthTenthMM() const { return m_widthTenthMM; }
    int PageHeightTenthMM() const { return m_heightTenthMM; }
    void SetResolution(int Dpi);               // device pixels per inch, default 600
    int Resolution() const { return m_dpi; }
    void SetTitle(const std::string& Title) { m_title = Title; }
    void SetCreator(const std::string& Creator) { m_creator = Creator; }

    void BeginDoc();
    void NewPage();
    void EndDoc();                             // writes the file (safe write)
    void Abort();                              // drops the document
    bool Printing() const { return m_impl != nullptr; }
    int PageNumber() const { return m_page; }   // 1-based, 0 before BeginDoc

    // The canvas of the current page; nullptr before BeginDoc.
    TCanvas* Canvas();
    int PageWidth() const;                     // device pixels
    int PageHeight() const;

private:
    struct Impl;
    std::string m_fileName;
    std::string m_title;
    std::string m_creator;
    int m_widthTenthMM{2100};
    int m_heightTenthMM{2970};
    int m_dpi{600};
    int m_page{0};
    std::unique_ptr<Impl> m_impl;
};

} // namespace qel
