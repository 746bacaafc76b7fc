#pragma once
// Which report link class prints which component class (and which design
// window edits it), and which preview window classes there are. Classes are
// named as the class registry knows them; a component class's ancestors are
// its registered parents.
//
//   dxPSRegisterReportLink("TdxDBGridReportLink", "TdxDBGrid", "TdxfmGridReportLinkDesignWindow");
//   dxPSLinkClassByComponentClass("TdxDBGrid");          // "TdxDBGrid ReportLink"
//   RegisterPreviewWindowClass("TdxfmStdPreview");       // the last registered is used
#include "platform/core/ClassRegistry.h"

#include <string>

namespace qel {

class TComponent;

// Ignored when either of the first two names is empty or the same three are
// registered already; otherwise the newest registration comes first. The
// link class joins the class registry (with Factory) unless it is known there.
void dxPSRegisterReportLink(const std::string& LinkClass, const std::string& ComponentClass,
                            const std::string& DesignWindowClass = {}, TClassRegistry::Factory LinkFactory = {});
// Removes exactly that registration.
void dxPSUnregisterReportLink(const std::string& LinkClass, const std::string& ComponentClass,
                              const std::string& DesignWindowClass = {});
// The link class for a component class: the newest registration for exactly
// that class, else for its nearest registered ancestor; empty when none.
std::string dxPSLinkClassByComponentClass(const std::string& ComponentClass);
std::string dxPSLinkClassByComponent(const TComponent* Component);
// The design window class of the first registration of that link class.
std::string dxPSDesignWindowClassByLinkClass(const std::string& LinkClass);
bool dxPSIsSupportedComponent(const TComponent* Component);
int dxPSReportLinkRegistrationCount();
// Empties the registry (the printing units do it when they end).
void dxPSClearReportLinkRegistry();

// A printing unit's registration of its link class: made when the unit
// gets its first user, removed (exactly that registration) with its last.
class TdxReportLinkRegistration {
public:
    TdxReportLinkRegistration(std::string LinkClass, std::string ComponentClass, std::string DesignWindowClass);
    void AddUser();
    void RemoveUser();
    int Users() const { return m_users; }

private:
    std::string m_linkClass;
    std::string m_componentClass;
    std::string m_designWindowClass;
    int m_users{0};
};

// Preview windows: the class in use is the last registered.
void RegisterPreviewWindowClass(const std::string& FormClass);
// Removes that class, or the last one when none is named; nothing on an empty registry.
void UnregisterPreviewWindowClass(const std::string& FormClass = {});
std::string dxPSPreviewWindowClass();
int dxPSPreviewWindowClassCount();

} // namespace qel
