// What every test program shares: a temporary program folder and settings
// folder per test, and a message sink that records instead of showing.
#pragma once

#include "platform/msgbox.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// Points the program folder and the settings profile at fresh temporary
// folders for the life of the fixture, and records message boxes.
class TolvaTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString ProgramPath(const QString& name) const;
    // The bytes of a file in the program folder, "<missing>" when it has none.
    QByteArray Contents(const char* name) const;
    void Put(const char* name, const QByteArray& bytes) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingMessageSink m_messages;
    MessageSink* m_previousSink = nullptr;
};

// The folder of checked-in test files.
QString TestDataPath(const QString& name);
