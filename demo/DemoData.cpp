#include "demo/DemoData.h"

#include "platform/core/Locale.h"

#include <vector>

namespace qel::demo {

TMemoryDataSet* MakeAccessMatrix(TConfiguration& Config, TComponent* Owner)
{
    std::vector<TBoxRecord*> boxes;
    std::vector<TConnectorRecord*> connectors;
    for (int i = 0; i < Config.ComponentCount(); ++i) {
        if (auto* b = dynamic_cast<TBoxRecord*>(Config.Components(i)))
            boxes.push_back(b);
        else if (auto* c = dynamic_cast<TConnectorRecord*>(Config.Components(i)))
            connectors.push_back(c);
    }

    auto* data = new TMemoryDataSet(Owner);
    data->AddField("NUMBER", ftInteger);
    data->AddField("TITLE", ftString, 40);
    data->AddField("IPADDRESS", ftString, 15);
    data->AddField("IPPORT", ftInteger);
    for (TBoxRecord* box : boxes)
        data->AddField("Box" + IntToStr(box->Number()), ftBoolean);
    data->Open();
    for (TConnectorRecord* con : connectors) {
        data->Append();
        data->FieldByName("NUMBER")->SetAsInteger(con->Number());
        data->FieldByName("TITLE")->SetAsString(con->Title());
        data->FieldByName("IPADDRESS")->SetAsString(con->IPAddress());
        data->FieldByName("IPPORT")->SetAsInteger(con->IPPort());
        const std::string& mask = con->BoxMask();
        for (std::size_t b = 0; b < boxes.size(); ++b)
            data->FieldByName("Box" + IntToStr(boxes[b]->Number()))
                ->SetAsBoolean(b < mask.size() && mask[b] == 'X');
        data->Post();
    }
    data->First();
    return data;
}

} // namespace qel::demo
