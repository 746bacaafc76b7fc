#include "platform/graphics/TextLayout.h"

#include "platform/core/Utf8.h"
#include "platform/graphics/Canvas.h"

#include <algorithm>
#include <cmath>

namespace qel {

namespace {

using Index = std::u16string::size_type;

void AppendUtf16(std::u16string& Out, char32_t Cp)
{
    if (Cp >= 0x10000) {
        Cp -= 0x10000;
        Out += static_cast<char16_t>(0xD800 + (Cp >> 10));
        Out += static_cast<char16_t>(0xDC00 + (Cp & 0x3FF));
    } else {
        Out += static_cast<char16_t>(Cp);
    }
}

// The text as drawn before breaking: "&x" marks x as the accelerator, "&&"
// is a plain '&', and without DT_EXPANDTABS a tab is a blank.
std::u16string ResolvePrefixes(std::string_view Text, unsigned Format, int& Underline)
{
    std::u16string plain;
    plain.reserve(Text.size());
    Underline = -1;
    bool pendingPrefix = false;
    for (std::size_t pos = 0; pos < Text.size();) {
        const char32_t c = Utf8Next(Text, pos);
        if (pendingPrefix) {
            pendingPrefix = false;
            if (c != U'&' && Underline < 0 && !(Format & DT_HIDEPREFIX))
                Underline = static_cast<int>(plain.size());
            AppendUtf16(plain, c);
            continue;
        }
        if (!(Format & DT_NOPREFIX) && c == U'&') {
            // A prefix at the very end stands for nothing.
            pendingPrefix = true;
            continue;
        }
        if (c == U'\t' && !(Format & DT_EXPANDTABS)) {
            plain += u' ';
            continue;
        }
        AppendUtf16(plain, c);
    }
    return plain;
}

struct Line {
    std::u16string Text;
    Index Start;   // index of the first character in the resolved text
    double Width;
};

class Breaker {
public:
    Breaker(const std::u16string& Plain, unsigned Format, double MaxWidth, double TabWidth,
            const TTextMetrics& Metrics)
        : m_plain(Plain), m_format(Format), m_maxWidth(MaxWidth), m_tabWidth(TabWidth), m_metrics(Metrics)
    {
    }

    double WidthOf(std::u16string_view Run) const { return TabbedWidth(Run, m_tabWidth, m_metrics); }

    // Hard breaks in any form (CR LF, LF, CR); a text ending in one has no
    // empty last line.
    std::vector<Line> Lines()
    {
        Index from = 0;
        for (Index i = 0; i <= m_plain.size(); ++i) {
            if (i == m_plain.size() || m_plain[i] == u'\n' || m_plain[i] == u'\r') {
                Paragraph(from, i);
                if (i < m_plain.size() && m_plain[i] == u'\r' && i + 1 < m_plain.size() && m_plain[i + 1] == u'\n')
                    ++i;
                from = i + 1;
            }
        }
        if (m_lines.size() > 1 && m_lines.back().Text.empty()
            && (m_plain.back() == u'\n' || m_plain.back() == u'\r'))
            m_lines.pop_back();
        return std::move(m_lines);
    }

private:
    void Paragraph(Index From, Index To)
    {
        const std::u16string_view para = std::u16string_view(m_plain).substr(From, To - From);
        if (!(m_format & DT_WORDBREAK) || para.empty()) {
            m_lines.push_back({std::u16string(para), From, WidthOf(para)});
            return;
        }
        const Index n = para.size();
        Index pos = 0;
        while (pos < n) {
            Index lastFit = FitWords(para, pos);
            if (lastFit <= pos)
                lastFit = std::min(n, pos + 1);
            std::u16string_view lineText = para.substr(pos, lastFit - pos);
            while (!lineText.empty() && lineText.back() == u' ')
                lineText.remove_suffix(1);
            m_lines.push_back({std::u16string(lineText), From + pos, WidthOf(lineText)});
            pos = lastFit;
            while (pos < n && para[pos] == u' ')
                ++pos;
        }
    }

    // Greedy: the end of the words from Pos that fit the width. A word that
    // fits on no line stays whole unless the edit-control rule breaks it.
    Index FitWords(std::u16string_view Para, Index Pos) const
    {
        const Index n = Para.size();
        Index end = Pos;
        bool any = false;
        while (end < n) {
            Index wordEnd = end;
            while (wordEnd < n && Para[wordEnd] == u' ')
                ++wordEnd;
            while (wordEnd < n && Para[wordEnd] != u' ')
                ++wordEnd;
            const double width = WidthOf(Para.substr(Pos, wordEnd - Pos));
            if (width <= m_maxWidth) {
                end = wordEnd;
                any = true;
                continue;
            }
            if (any)
                return end;
            if (!(m_format & DT_EDITCONTROL))
                return wordEnd;
            Index k = Pos + 1;
            while (k < wordEnd && WidthOf(Para.substr(Pos, k + 1 - Pos)) <= m_maxWidth)
                ++k;
            return k;
        }
        return end;
    }

    const std::u16string& m_plain;
    unsigned m_format;
    double m_maxWidth;
    double m_tabWidth;
    const TTextMetrics& m_metrics;
    std::vector<Line> m_lines;
};

// The largest length below Count for which Fits holds, 0 when none does;
// Fits must hold up to some length and not after it (widths grow with the
// length). The search starts at Share of Count and gallops from there, so a
// cut in a typical cell costs two or three measurements where a bisection
// over the whole line costs six or seven.
template <class F>
Index LongestPrefix(Index Count, double Share, const F& Fits)
{
    if (Count < 2)
        return 0;
    const double estimate = std::floor(static_cast<double>(Count) * std::clamp(Share, 0.0, 1.0));
    const Index guess = std::clamp<Index>(static_cast<Index>(estimate), 1, Count - 1);
    Index lo = 0;           // Fits(lo), or lo is 0
    Index hi = Count - 1;   // nothing longer than hi fits
    if (Fits(guess)) {
        lo = guess;
        for (Index step = 1; lo < hi; step *= 2) {
            const Index probe = std::min(hi, lo + step);
            if (!Fits(probe)) {
                hi = probe - 1;
                break;
            }
            lo = probe;
        }
    } else {
        hi = guess - 1;
        for (Index step = 1; lo < hi; step *= 2) {
            const Index probe = hi - std::min(hi - lo - 1, step - 1);
            if (Fits(probe)) {
                lo = probe;
                break;
            }
            hi = probe - 1;
        }
    }
    while (lo < hi) {
        const Index mid = (lo + hi + 1) / 2;
        if (Fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

// Cuts each line too wide for the rectangle to its longest prefix that fits
// with "..." after it; an accelerator cut off with the end is not shown.
void AddEndEllipsis(std::vector<Line>& Lines, double MaxWidth, double TabWidth, const TTextMetrics& Metrics,
                    int& Underline)
{
    static constexpr std::u16string_view dots = u"...";
    const double dotsWidth = Metrics.RunWidth(dots);
    for (Line& l : Lines) {
        if (l.Width <= MaxWidth)
            continue;
        const auto fits = [&](Index Length) {
            return TabbedWidth(std::u16string_view(l.Text).substr(0, Length), TabWidth, Metrics) + dotsWidth
                <= MaxWidth;
        };
        const Index lo = LongestPrefix(l.Text.size(), (MaxWidth - dotsWidth) / l.Width, fits);
        const Index oldEnd = l.Start + l.Text.size();
        l.Text.resize(lo);
        l.Text += dots;
        l.Width = TabbedWidth(l.Text, TabWidth, Metrics);
        if (Underline >= 0 && static_cast<Index>(Underline) >= l.Start + lo && static_cast<Index>(Underline) < oldEnd)
            Underline = -1;
    }
}

} // namespace

double TabbedWidth(std::u16string_view Text, double TabWidth, const TTextMetrics& Metrics)
{
    if (TabWidth <= 0)
        return Metrics.RunWidth(Text);
    double x = 0;
    for (;;) {
        const Index tab = Text.find(u'\t');
        x += Metrics.RunWidth(Text.substr(0, tab));
        if (tab == std::u16string_view::npos)
            return x;
        x = (std::floor(x / TabWidth + 1e-9) + 1) * TabWidth;
        Text.remove_prefix(tab + 1);
    }
}

TDrawTextLayout LayoutText(std::string_view Text, const TRect& Rect, unsigned Format, const TTextMetrics& Metrics)
{
    TDrawTextLayout out;
    const int lh = Metrics.LineHeight();
    const bool single = Format & DT_SINGLELINE;
    if (single)
        Format &= ~unsigned(DT_WORDBREAK);
    out.LineHeight = lh;
    out.TabWidth = (Format & DT_EXPANDTABS) ? 8 * Metrics.AveCharWidth() : 0;

    int underline = -1;
    std::u16string plain = ResolvePrefixes(Text, Format, underline);
    if (plain.empty()) {
        out.Bounds = {Rect.Left, Rect.Top, Rect.Left, single ? Rect.Top + lh : Rect.Top};
        out.Height = lh;
        return out;
    }

    const double maxWidth = Rect.Width();
    std::vector<Line> lines;
    if (single) {
        // Line breaks of any form read as one blank each.
        std::u16string one;
        one.reserve(plain.size());
        for (Index i = 0; i < plain.size(); ++i) {
            const char16_t c = plain[i];
            if (c == u'\r' && i + 1 < plain.size() && plain[i + 1] == u'\n')
                ++i;
            one += (c == u'\r' || c == u'\n') ? u' ' : c;
        }
        const double width = TabbedWidth(one, out.TabWidth, Metrics);
        lines.push_back({std::move(one), 0, width});
    } else {
        lines = Breaker(plain, Format, maxWidth, out.TabWidth, Metrics).Lines();
    }
    if (Format & DT_END_ELLIPSIS)
        AddEndEllipsis(lines, maxWidth, out.TabWidth, Metrics, underline);

    const int total = lh * static_cast<int>(lines.size());
    int maxW = 0;
    for (const Line& l : lines)
        maxW = std::max(maxW, RoundToInt(l.Width));
    out.Bounds = {Rect.Left, Rect.Top, Rect.Left + maxW, Rect.Top + total};

    int y = Rect.Top;
    if (single) {
        if (Format & DT_VCENTER)
            y = Rect.Top + (Rect.Height() - lh) / 2;
        else if (Format & DT_BOTTOM)
            y = Rect.Bottom - lh;
    }
    out.Height = (Format & DT_CALCRECT) ? total : (y - Rect.Top) + total;

    out.Lines.reserve(lines.size());
    for (Line& l : lines) {
        TTextLine line;
        const int w = RoundToInt(l.Width);
        line.X = Rect.Left;
        if (Format & DT_CENTER)
            line.X = Rect.Left + (Rect.Width() - w) / 2;
        else if (Format & DT_RIGHT)
            line.X = Rect.Right - w;
        line.Y = y;
        if (underline >= 0 && static_cast<Index>(underline) >= l.Start
            && static_cast<Index>(underline) < l.Start + l.Text.size())
            line.Underline = underline - static_cast<int>(l.Start);
        line.Width = l.Width;
        line.Text = std::move(l.Text);
        out.Lines.push_back(std::move(line));
        y += lh;
    }
    return out;
}

}  // namespace qel
