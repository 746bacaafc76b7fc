#pragma once
// The configuration model of the access-control installation as streamable
// components: a configuration owns its box and connector records.
#include "platform/core/Component.h"

#include <string>

namespace qel::demo {

class TBoxRecord : public TComponent {
    QEL_CLASS(TBoxRecord)
public:
    explicit TBoxRecord(TComponent* AOwner) : TComponent(AOwner) {}
    int Number() const { return m_number; }
    void SetNumber(int V) { m_number = V; }
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& V) { m_title = V; }
    const std::string& IPAddress() const { return m_ip; }
    void SetIPAddress(const std::string& V) { m_ip = V; }

private:
    int m_number{0};
    std::string m_title;
    std::string m_ip{"0.0.0.0"};
};

class TConnectorRecord : public TComponent {
    QEL_CLASS(TConnectorRecord)
public:
    explicit TConnectorRecord(TComponent* AOwner) : TComponent(AOwner) {}
    int Number() const { return m_number; }
    void SetNumber(int V) { m_number = V; }
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& V) { m_title = V; }
    const std::string& IPAddress() const { return m_ip; }
    void SetIPAddress(const std::string& V) { m_ip = V; }
    int IPPort() const { return m_port; }
    void SetIPPort(int V) { m_port = V; }
    // One 'X' or '_' per box: the boxes this connector belongs to.
    const std::string& BoxMask() const { return m_mask; }
    void SetBoxMask(const std::string& V) { m_mask = V; }

private:
    int m_number{0};
    std::string m_title;
    std::string m_ip{"0.0.0.0"};
    int m_port{48000};
    std::string m_mask;
};

class TConfiguration : public TComponent {
    QEL_CLASS(TConfiguration)
public:
    explicit TConfiguration(TComponent* AOwner) : TComponent(AOwner) {}
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& V) { m_title = V; }
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

private:
    std::string m_title;
};

void RegisterConfigurationClasses();

// A sample installation of `Boxes` boxes and `Connectors` connectors.
TConfiguration* MakeSampleConfiguration(int Boxes, int Connectors);

} // namespace qel::demo
