#include "printing/ReportLinkRegistry.h"

#include "platform/core/Component.h"
#include "platform/core/Locale.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace qel {

namespace {

struct TRegistration {
    std::string LinkClass;
    std::string ComponentClass;
    std::string DesignWindowClass;
    bool operator==(const TRegistration& O) const
    {
        return SameText(LinkClass, O.LinkClass) && SameText(ComponentClass, O.ComponentClass) &&
               SameText(DesignWindowClass, O.DesignWindowClass);
    }
};

// Newest first; made on the first registration.
std::unique_ptr<std::vector<TRegistration>>& Links()
{
    static std::unique_ptr<std::vector<TRegistration>> links;
    return links;
}

// Newest last; freed when it becomes empty.
std::unique_ptr<std::vector<std::string>>& PreviewWindows()
{
    static std::unique_ptr<std::vector<std::string>> windows;
    return windows;
}

} // namespace

void dxPSRegisterReportLink(const std::string& LinkClass, const std::string& ComponentClass,
                            const std::string& DesignWindowClass, TClassRegistry::Factory LinkFactory)
{
    if (LinkClass.empty() || ComponentClass.empty())
        return;
    auto& links = Links();
    if (!links)
        links = std::make_unique<std::vector<TRegistration>>();
    const TRegistration entry{LinkClass, ComponentClass, DesignWindowClass};
    if (std::find(links->begin(), links->end(), entry) != links->end())
        return;
    links->insert(links->begin(), entry);
    TClassRegistry& classes = TClassRegistry::Instance();
    if (!classes.IsRegistered(LinkClass))
        classes.Register(LinkClass, "TBasedxReportLink", std::move(LinkFactory));
}

void dxPSUnregisterReportLink(const std::string& LinkClass, const std::string& ComponentClass,
                              const std::string& DesignWindowClass)
{
    auto& links = Links();
    if (!links)
        return;
    std::erase(*links, TRegistration{LinkClass, ComponentClass, DesignWindowClass});
}

std::string dxPSLinkClassByComponentClass(const std::string& ComponentClass)
{
    const auto& links = Links();
    if (!links)
        return {};
    // The class itself first, then each registered ancestor in turn: the
    // nearest one with a registration decides, its newest registration wins.
    const TClassRegistry& classes = TClassRegistry::Instance();
    for (std::string cls = ComponentClass; !cls.empty(); cls = classes.ParentOf(cls)) {
        for (const TRegistration& r : *links)
            if (SameText(r.ComponentClass, cls))
                return r.LinkClass;
        if (!classes.IsRegistered(cls))
            break;
    }
    return {};
}

std::string dxPSLinkClassByComponent(const TComponent* Component)
{
    return Component ? dxPSLinkClassByComponentClass(Component->ClassName()) : std::string();
}

std::string dxPSDesignWindowClassByLinkClass(const std::string& LinkClass)
{
    const auto& links = Links();
    if (!links)
        return {};
    for (const TRegistration& r : *links)
        if (SameText(r.LinkClass, LinkClass))
            return r.DesignWindowClass;
    return {};
}

bool dxPSIsSupportedComponent(const TComponent* Component)
{
    return !dxPSLinkClassByComponent(Component).empty();
}

int dxPSReportLinkRegistrationCount()
{
    const auto& links = Links();
    return links ? static_cast<int>(links->size()) : 0;
}

void dxPSClearReportLinkRegistry()
{
    Links().reset();
}

void RegisterPreviewWindowClass(const std::string& FormClass)
{
    if (FormClass.empty())
        return;
    auto& windows = PreviewWindows();
    if (!windows)
        windows = std::make_unique<std::vector<std::string>>();
    windows->push_back(FormClass);
}

void UnregisterPreviewWindowClass(const std::string& FormClass)
{
    auto& windows = PreviewWindows();
    if (!windows || windows->empty())
        return;
    if (FormClass.empty()) {
        windows->pop_back();
    } else {
        const auto it = std::find_if(windows->rbegin(), windows->rend(),
                                     [&](const std::string& C) { return SameText(C, FormClass); });
        if (it != windows->rend())
            windows->erase(std::next(it).base());
    }
    if (windows->empty())
        windows.reset();
}

std::string dxPSPreviewWindowClass()
{
    const auto& windows = PreviewWindows();
    return windows && !windows->empty() ? windows->back() : std::string();
}

int dxPSPreviewWindowClassCount()
{
    const auto& windows = PreviewWindows();
    return windows ? static_cast<int>(windows->size()) : 0;
}

TdxReportLinkRegistration::TdxReportLinkRegistration(std::string LinkClass, std::string ComponentClass,
                                                     std::string DesignWindowClass)
    : m_linkClass(std::move(LinkClass)), m_componentClass(std::move(ComponentClass)),
      m_designWindowClass(std::move(DesignWindowClass))
{
}

void TdxReportLinkRegistration::AddUser()
{
    if (m_users++ == 0)
        dxPSRegisterReportLink(m_linkClass, m_componentClass, m_designWindowClass);
}

void TdxReportLinkRegistration::RemoveUser()
{
    if (m_users > 0 && --m_users == 0)
        dxPSUnregisterReportLink(m_linkClass, m_componentClass, m_designWindowClass);
}

} // namespace qel
