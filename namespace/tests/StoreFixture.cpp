#include "namespace/tests/StoreFixture.h"

void StoreFixture::SetUp()
{
    setMessageBoxHook([this](const MessageBoxQuestion& q) {
        m_questions.push_back(q);
        return m_answer;
    });
    m_store = foldra::ItemStore();
    ASSERT_FALSE(m_store.objectFilePath().empty());
    ASSERT_EQ(m_store.RegisterStore(), S_OK);
}

void StoreFixture::TearDown()
{
    setMessageBoxHook({});
}

std::vector<std::string> StoreFixture::takeMessages()
{
    std::vector<std::string> texts;
    for (const MessageBoxQuestion& q : m_questions)
        texts.push_back(q.text);
    m_questions.clear();
    return texts;
}

foldra::ItemRecord StoreFixture::cameraRecord(const std::string& name, const std::string& address)
{
    foldra::ItemRecord record;
    record.name = name;
    record.address = address;
    record.camera = "1";
    record.resolution = "640x480";
    record.model = "OC30";
    record.firmware = "3.00";
    return record;
}
