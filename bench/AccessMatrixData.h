#pragma once
// The access matrix the report benchmarks print: one record per connector
// (number, title, address, port) and one Boolean field per box, as the main
// program's grid reads it, and the same rows as CSV for the peers that
// convert a spreadsheet into a PDF.
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace qel::bench {

inline constexpr int kMatrixBoxes = 32;

// Connector I: its title, address, port and whether box B (from 0) is open.
struct TConnector {
    std::string Title, Address;
    int Port;
    bool Opens(int B) const { return Mask >> B & 1; }
    std::uint32_t Mask;
};

inline TConnector MakeConnector(int I)
{
    std::uint32_t mask = 1u << ((I - 1) % kMatrixBoxes);
    for (int b = 0; b < kMatrixBoxes; ++b)
        if ((b / 8 == (I / 32) % 4 && (b + I) % 3 == 0) || (I % 4 == 0 && b < 8))
            mask |= 1u << b;
    return {(I % 3 == 0 ? "Tür " : "Tor ") + std::to_string(I),
            "192.168." + std::to_string(20 + (I - 1) / 200) + "." + std::to_string(1 + (I - 1) % 200),
            I % 16 == 0 ? 48001 : 48000, mask};
}

// The matrix as the main program's grid reads it.
inline std::unique_ptr<TMemoryDataSet> MakeMatrix(int Rows)
{
    auto data = std::make_unique<TMemoryDataSet>(nullptr);
    data->AddField("NUMBER", ftInteger);
    data->AddField("TITLE", ftString, 40);
    data->AddField("IPADDRESS", ftString, 15);
    data->AddField("IPPORT", ftInteger);
    for (int b = 1; b <= kMatrixBoxes; ++b)
        data->AddField("Box" + std::to_string(b), ftBoolean);
    data->Open();
    std::vector<Variant> values(4 + kMatrixBoxes);
    for (int i = 1; i <= Rows; ++i) {
        const TConnector c = MakeConnector(i);
        values[0] = i;
        values[1] = c.Title;
        values[2] = c.Address;
        values[3] = c.Port;
        for (int b = 0; b < kMatrixBoxes; ++b)
            values[static_cast<std::size_t>(4 + b)] = c.Opens(b);
        data->AppendRecord(values);
    }
    data->First();
    return data;
}

// The same rows for the spreadsheet: a header line and one line per connector.
inline void WriteMatrixCsv(const std::string& File, int Rows)
{
    std::ofstream out(File, std::ios::binary);
    out << "Nr,Connector,IP-Adresse,Port";
    for (int b = 1; b <= kMatrixBoxes; ++b)
        out << ',' << b;
    out << '\n';
    for (int i = 1; i <= Rows; ++i) {
        const TConnector c = MakeConnector(i);
        out << i << ',' << c.Title << ',' << c.Address << ',' << c.Port;
        for (int b = 0; b < kMatrixBoxes; ++b)
            out << ',' << (c.Opens(b) ? "X" : "");
        out << '\n';
    }
}

} // namespace qel::bench
