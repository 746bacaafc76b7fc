#include "dbgrid/detail/Biff4Records.h"
#include "tests/dbgrid/ExportTestSupport.h"

#include <gtest/gtest.h>

namespace qel::test {

using namespace biff4;

TEST(Biff4Records, FixedRecordsAreByteExact)
{
    EXPECT_EQ(Hex(Bytes(WriteBOF)), "09 04 06 00 00 00 10 00 00 00");
    EXPECT_EQ(Hex(Bytes(WriteGuts)), "80 00 08 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(Bytes(WriteEOF)), "0A 00 00 00");
    EXPECT_EQ(Hex(Bytes(WriteCodePage)), "42 00 02 00 E4 04");
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WriteFont(S, 200, 0, 0x7FFF, "Arial"); })),
              "31 02 0C 00 C8 00 00 00 FF 7F 05 41 72 69 61 6C");
    // The range actually used, not the whole sheet.
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WriteDimensions(S, 12, 4); })), "00 02 0A 00 00 00 0C 00 00 00 04 00 00 00");
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WritePalette(S, {0x00332211}); })), "92 00 06 00 01 00 11 22 33 00");
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WriteFormat(S, "0%"); })), "1E 04 05 00 00 00 02 30 25");
    EXPECT_EQ(BuiltInFormats().size(), 34u);
}

TEST(Biff4Records, CellRecords)
{
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WriteBlank(S, 1, 2, 23); })), "01 02 06 00 01 00 02 00 17 00");
    // 5 is the RK value 5 * 4 + 2 = 22.
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WriteInteger(S, 0, 0, 29, 5); })), "7E 02 0A 00 00 00 00 00 1D 00 16 00 00 00");
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WriteInteger(S, 0, 0, 29, -1); })), "7E 02 0A 00 00 00 00 00 1D 00 FE FF FF FF");
    // Outside the 30-bit range an RK would wrap: a NUMBER keeps the value.
    const std::string big = Bytes([](TStream& S) { WriteInteger(S, 0, 0, 29, 1 << 29); });
    EXPECT_EQ(Hex(big.substr(0, 4)), "03 02 0E 00");
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WriteNumber(S, 3, 1, 30, 1.5); })),
              "03 02 0E 00 03 00 01 00 1E 00 00 00 00 00 00 00 F8 3F");
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WriteColInfo(S, 2, 100000, 15); })), "7D 00 0C 00 02 00 02 00 FF FF 0F 00 00 00 00 00");
}

TEST(Biff4Records, LabelsAreWindows1252CutTo255)
{
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WriteLabel(S, 0, 1, 22, "M\xC3\xBC\xE2\x82\xAC\xE4\xB8\x80"); })),
              "04 02 0C 00 00 00 01 00 16 00 04 00 4D FC 80 3F");
    const std::string label = Bytes([](TStream& S) { WriteLabel(S, 0, 0, 29, std::string(300, 'x')); });
    EXPECT_EQ(label.size(), 4u + 8u + 255u);
    EXPECT_EQ(Hex(label.substr(10, 2)), "FF 00");
}

TEST(Biff4Records, FormulaOverOneColumn)
{
    EXPECT_EQ(Hex(Bytes([](TStream& S) { WriteFormula(S, 5, 2, 24, 1, 4, 2, TFormulaFunction::Sum); })),
              "06 04 1D 00 05 00 02 00 18 00 00 00 00 00 00 00 00 00 03 00 0B 00 25 01 C0 04 C0 02 02 19 10 00 00");
    const std::string avg = Bytes([](TStream& S) { WriteFormula(S, 5, 2, 24, 0, 4, 3, TFormulaFunction::Average); });
    EXPECT_EQ(Hex(avg.substr(avg.size() - 4)), "42 01 05 00");
}

} // namespace qel::test
