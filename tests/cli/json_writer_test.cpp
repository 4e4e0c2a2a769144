// The JSON writer of the command-line reports: escaping, numbers that read back as the same
// double, and documents that a JSON reader accepts.
#include "cli/json_writer.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <limits>
#include <string>

namespace ondela::cli {
namespace {

TEST(JsonString, EscapesWhatJsonRequiresAndRepairsBrokenUtf8) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"plain", "\"plain\""},
        {"say \"hi\"\\", "\"say \\\"hi\\\"\\\\\""},
        {"a\r\nb\tc", "\"a\\r\\nb\\tc\""},
        {std::string("\x01\x1f\b\f", 4), "\"\\u0001\\u001f\\b\\f\""},
        {std::string("nul\0in", 6), "\"nul\\u0000in\""},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5",
         "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5\""},
        {"bad \xff byte", "\"bad \\ufffd byte\""},
        {"cut \xc3", "\"cut \\ufffd\""},
        {"overlong \xc0\xaf", "\"overlong \\ufffd\\ufffd\""},
        {"surrogate \xed\xa0\x80", "\"surrogate \\ufffd\\ufffd\\ufffd\""},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonString(c.in), c.out);
}

TEST(JsonNumber, SeventeenDigitsAndNullForNonNumbers) {
    EXPECT_EQ(JsonNumber(0.1), "0.10000000000000001");
    EXPECT_EQ(JsonNumber(-2.5), "-2.5");
    EXPECT_EQ(JsonNumber(0.0), "0");
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(JsonNumber(-std::numeric_limits<double>::infinity()), "null");
}

TEST(JsonWriter, NestedDocumentReadsBackExactly) {
    const double values[] = {1.0 / 3.0, -1.2345678901234567e-5, 6.02214076e23, 5e-324};
    JsonWriter json;
    json.BeginObject();
    json.Key("name").String("FIR \"x\"");
    json.Key("empty").BeginArray().EndArray();
    json.Key("nothing").BeginObject().EndObject();
    json.Key("values").BeginArray();
    for (const double v : values) json.Number(v);
    json.Number(std::numeric_limits<double>::quiet_NaN());
    json.EndArray();
    json.Key("inner").BeginObject();
    json.Key("count").Integer(-4096);
    json.Key("ok").Bool(true);
    json.Key("none").OptionalInteger(std::nullopt);
    json.Key("some").OptionalInteger(7);
    json.EndObject();
    json.EndObject();

    const std::string& text = json.Text();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
    const QJsonObject o = doc.object();
    EXPECT_EQ(o["name"].toString(), "FIR \"x\"");
    EXPECT_TRUE(o["empty"].toArray().isEmpty());
    EXPECT_TRUE(o["nothing"].toObject().isEmpty());
    const QJsonArray read = o["values"].toArray();
    ASSERT_EQ(read.size(), 5);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(read[i].toDouble(), values[i]) << i;
    EXPECT_TRUE(read[4].isNull());
    const QJsonObject inner = o["inner"].toObject();
    EXPECT_EQ(inner["count"].toInt(), -4096);
    EXPECT_EQ(inner["ok"].toBool(), true);
    EXPECT_TRUE(inner["none"].isNull());
    EXPECT_EQ(inner["some"].toInt(), 7);
}

}  // namespace
}  // namespace ondela::cli
