#include "demo/DemoConfig.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Locale.h"
#include "platform/core/PropertyRegistry.h"

namespace qel::demo {

void TConfiguration::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*)
{
    for (int i = 0; i < ComponentCount(); ++i)
        Proc(Components(i));
}

void RegisterConfigurationClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TBoxRecord>("TBoxRecord", "TComponent");
    RegisterClass<TConnectorRecord>("TConnectorRecord", "TComponent");
    RegisterClass<TConfiguration>("TConfiguration", "TComponent");
    TPropertyRegistrar<TBoxRecord>("TBoxRecord")
        .Integer("Number", &TBoxRecord::Number, &TBoxRecord::SetNumber, 0)
        .String("Title", &TBoxRecord::Title, &TBoxRecord::SetTitle)
        .String("IPAddress", &TBoxRecord::IPAddress, &TBoxRecord::SetIPAddress, "0.0.0.0");
    TPropertyRegistrar<TConnectorRecord>("TConnectorRecord")
        .Integer("Number", &TConnectorRecord::Number, &TConnectorRecord::SetNumber, 0)
        .String("Title", &TConnectorRecord::Title, &TConnectorRecord::SetTitle)
        .String("IPAddress", &TConnectorRecord::IPAddress, &TConnectorRecord::SetIPAddress, "0.0.0.0")
        .Integer("IPPort", &TConnectorRecord::IPPort, &TConnectorRecord::SetIPPort, 48000)
        .String("BoxMask", &TConnectorRecord::BoxMask, &TConnectorRecord::SetBoxMask);
    TPropertyRegistrar<TConfiguration>("TConfiguration")
        .String("Title", &TConfiguration::Title, &TConfiguration::SetTitle);
}

TConfiguration* MakeSampleConfiguration(int Boxes, int Connectors)
{
    RegisterConfigurationClasses();
    auto* config = new TConfiguration(nullptr);
    config->SetName("Configuration");
    config->SetTitle("Werk Nord");
    for (int b = 1; b <= Boxes; ++b) {
        auto* box = new TBoxRecord(config);
        box->SetName("Box" + IntToStr(b));
        box->SetNumber(b);
        box->SetTitle("Box " + IntToStr(b));
        box->SetIPAddress("192.168.10." + IntToStr(10 + b));
    }
    for (int c = 1; c <= Connectors; ++c) {
        auto* con = new TConnectorRecord(config);
        con->SetName("Connector" + IntToStr(c));
        con->SetNumber(c);
        con->SetTitle(c % 3 == 0 ? "Tür " + IntToStr(c) : "Tor " + IntToStr(c));
        con->SetIPAddress("192.168." + IntToStr(20 + (c - 1) / 200) + "." + IntToStr(1 + (c - 1) % 200));
        if (c % 16 == 0)
            con->SetIPPort(48001);   // a few connectors answer on a second port
        // Each connector opens its home box and its floor's boxes; staff doors
        // (every fourth) open every box of the first eight.
        std::string mask;
        const int home = 1 + (c - 1) % Boxes;
        const int floor = (c - 1) / 32;
        for (int b = 1; b <= Boxes; ++b) {
            const bool open = b == home || ((b - 1) / 8 == floor % 4 && (b + c) % 3 == 0) || (c % 4 == 0 && b <= 8);
            mask += open ? 'X' : '_';
        }
        con->SetBoxMask(mask);
    }
    return config;
}

} // namespace qel::demo
