#include "core/picture_list_model.h"
#include "platform/pump.h"

#include <QAbstractItemModelTester>
#include <functional>
#include <gtest/gtest.h>

namespace pw {
namespace {

using Tester = QAbstractItemModelTester;

class PictureListModelTest : public ::testing::Test {
protected:
    PictureListModel model;
    Tester tester{&model, Tester::FailureReportingMode::Fatal};

    std::vector<std::string> shown() const {
        std::vector<std::string> texts;
        for (int row = 0; row < model.rowCount(); ++row)
            texts.push_back(model.index(row).data().toString().toStdString());
        return texts;
    }
};

// Runs an action on the first pump.
class EditingPump : public os::MessagePump {
public:
    std::function<void()> action;
    void pumpOnce() override {
        if (action)
            std::exchange(action, nullptr)();
    }
    void waitPumping(int) override {}
};

TEST_F(PictureListModelTest, RowsCarryBothPathsAndRotation) {
    ASSERT_TRUE(model.append("/tmp/w/0001.jpg", "/home/a/b\xe9.jpg"));
    const QModelIndex row = model.index(0);
    EXPECT_EQ(row.data(PictureListModel::WorkingPathRole).toByteArray(), "/tmp/w/0001.jpg");
    EXPECT_EQ(row.data(PictureListModel::DisplayPathRole).toByteArray(), "/home/a/b\xe9.jpg");
    EXPECT_EQ(row.data(PictureListModel::RotationRole).toInt(), 0);
    EXPECT_EQ(model.workingPath(0), "/tmp/w/0001.jpg");
    EXPECT_EQ(model.displayPath(1), "");
}

TEST_F(PictureListModelTest, AddMoveRemoveAndClearUnderTheTester) {
    for (const char* name : {"c.jpg", "a.jpg", "b.jpg"})
        ASSERT_TRUE(model.append(std::string("/w/") + name, name));
    model.select(0);
    EXPECT_EQ(model.selected(), 0);
    ASSERT_TRUE(model.swap(0, 1));
    EXPECT_EQ(shown(), (std::vector<std::string>{"a.jpg", "c.jpg", "b.jpg"}));
    EXPECT_EQ(model.workingPath(1), "/w/c.jpg");
    EXPECT_FALSE(model.swap(2, 3));
    EXPECT_FALSE(model.swap(1, 1));
    ASSERT_TRUE(model.removeAt(1));
    EXPECT_EQ(shown(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_FALSE(model.removeAt(2));
    model.select(-1);
    EXPECT_EQ(model.selected(), -1);
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(PictureListModelTest, SortOrdersByWorkingPathStably) {
    model.append("/w/IMG_10.jpg", "ten");
    model.append("/w/img_2.jpg", "two");
    model.append("/w/IMG_2.jpg", "two again");
    model.append("/w/a.jpg", "a");
    model.select(2);
    os::SleepingPump pump;
    ASSERT_TRUE(model.sort(pump));
    EXPECT_EQ(pump.pumps, 4);
    EXPECT_EQ(shown(), (std::vector<std::string>{"a", "two", "two again", "ten"}));
    EXPECT_EQ(model.selected(), -1);
}

TEST_F(PictureListModelTest, SortGivesUpWhenEditedWhilePumping) {
    model.append("/w/b.jpg", "b");
    model.append("/w/a.jpg", "a");
    EditingPump pump;
    pump.action = [this] { model.removeAt(0); };
    EXPECT_FALSE(model.sort(pump));
    EXPECT_EQ(shown(), (std::vector<std::string>{"a"}));
}

// Without the tester, which checks the whole model after every row.
TEST(PictureListModelLimit, RefusesRowsBeyondTheLimit) {
    PictureListModel model;
    for (int i = 0; i < PictureListModel::kMaxEntries; ++i)
        ASSERT_TRUE(model.append("/w/x", "x"));
    EXPECT_FALSE(model.append("/w/y", "y"));
    EXPECT_EQ(model.rowCount(), PictureListModel::kMaxEntries);
}

} // namespace
} // namespace pw
