#pragma once
// The system's printers as a device builds them, with a count of every
// question put to them: what a dialog asks again on reopening.
#include "platform/printers/PrinterBackend.h"
#include "printing/PrintDevice.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qel::bench {

// The system's printers, counting every question put to them.
class TCountingBackend : public TPrinterBackend {
public:
    // The system's back end as a device builds it (with the paper table).
    TCountingBackend() : m_holder(std::make_unique<TdxPrintDevice>()), m_inner(m_holder->Backend()) {}

    // Questions of facts that stay; and of the status, which changes while the program runs.
    long long Calls = 0;
    long long StatusCalls = 0;

    std::vector<TPrinterInfo> Printers() override { return ++Calls, m_inner.Printers(); }
    std::string DefaultPrinter() override { return ++Calls, m_inner.DefaultPrinter(); }
    TPrinterStatus Status(const std::string& Name) override { return ++StatusCalls, m_inner.Status(Name); }
    bool DefaultDeviceMode(const std::string& Name, TDeviceMode& Mode) override
    {
        return ++Calls, m_inner.DefaultDeviceMode(Name, Mode);
    }
    std::optional<std::vector<TPrinterPaper>> Papers(const std::string& Name) override
    {
        return ++Calls, m_inner.Papers(Name);
    }
    std::optional<std::vector<TPrinterBin>> Bins(const std::string& Name) override
    {
        return ++Calls, m_inner.Bins(Name);
    }
    TPrinterLimits Limits(const std::string& Name) override { return ++Calls, m_inner.Limits(Name); }
    TDeviceCaps PageCaps(const std::string& Name, const TDeviceMode& Mode) override
    {
        return ++Calls, m_inner.PageCaps(Name, Mode);
    }
    std::unique_ptr<TPrintJob> StartDoc(const std::string& Name, const TDeviceMode& Mode,
                                        const TDocInfo& Doc) override
    {
        return ++Calls, m_inner.StartDoc(Name, Mode, Doc);
    }

private:
    std::unique_ptr<TdxPrintDevice> m_holder;
    TPrinterBackend& m_inner;
};

// Opens a dialog once, then once per iteration, and reports what each
// reopening asked of the printers: facts, and the status.
template <class Open>
void CountReopenQuestions(benchmark::State& State, const TCountingBackend& Backend, Open OpenAndClose)
{
    OpenAndClose();
    const long long before = Backend.Calls;
    const long long statusBefore = Backend.StatusCalls;
    long long opened = 0;
    for (auto _ : State) {
        OpenAndClose();
        ++opened;
    }
    const auto perOpen = [&](long long Calls) {
        return benchmark::Counter(static_cast<double>(Calls) / static_cast<double>(std::max(1LL, opened)));
    };
    State.counters["printer_calls_per_open"] = perOpen(Backend.Calls - before);
    State.counters["status_calls_per_open"] = perOpen(Backend.StatusCalls - statusBefore);
}

} // namespace qel::bench
