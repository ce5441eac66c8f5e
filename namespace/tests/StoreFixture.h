#pragma once
// A fresh state root with a registered object file, and every message box recorded and
// answered as the test says.

#include "namespace/store/ItemStore.h"
#include "platform/ui/MessageBox.h"
#include "testsupport/TempStateRoot.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The texts of the boxes shown since the last call.
    std::vector<std::string> takeMessages();
    // A record of the kind's usual fields.
    static foldra::ItemRecord cameraRecord(const std::string& name, const std::string& address);

    TempStateRoot m_root;
    foldra::ItemStore m_store;
    int m_answer = IDYES;
    std::vector<MessageBoxQuestion> m_questions;
};
