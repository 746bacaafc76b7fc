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
    data->AddField("Nr", ftInteger);
    data->AddField("Connector", ftString, 40);
    for (TBoxRecord* box : boxes)
        data->AddField("Box" + IntToStr(box->Number()), ftBoolean);
    data->Open();
    int nr = 0;
    for (TConnectorRecord* con : connectors) {
        data->Append();
        data->FieldByName("Nr")->SetAsInteger(++nr);
        data->FieldByName("Connector")->SetAsString(con->Title());
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
