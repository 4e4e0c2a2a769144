// Reading the command line's JSON reports in tests.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <string>

namespace ondela::testing {

// The report as a JSON object; a text that is no JSON object fails the test.
inline QJsonObject ParseJson(const std::string& text) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_TRUE(doc.isObject());
    return doc.object();
}

inline std::string Str(const QJsonValue& v) {
    return v.toString().toStdString();
}

}  // namespace ondela::testing
