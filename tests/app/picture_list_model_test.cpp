#include "app/picture_list_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace pw {
namespace {

using Tester = QAbstractItemModelTester;

class PictureListModelTest : public ::testing::Test {
protected:
    app::PictureListModel model;
    Tester tester{&model, Tester::FailureReportingMode::Fatal};

    void fill(std::initializer_list<const char*> names) {
        for (const char* name : names)
            ASSERT_TRUE(model.append(std::string("/w/") + name, name));
    }

    std::vector<std::string> shown() const {
        std::vector<std::string> texts;
        for (int row = 0; row < model.rowCount(); ++row)
            texts.push_back(model.index(row).data().toString().toStdString());
        return texts;
    }
};

TEST_F(PictureListModelTest, RowsCarryBothPathsAndRotation) {
    ASSERT_TRUE(model.append("/tmp/w/0001.jpg", "/home/a/b\xe9.jpg"));
    const QModelIndex row = model.index(0);
    EXPECT_EQ(row.data(app::PictureListModel::WorkingPathRole).toByteArray(), "/tmp/w/0001.jpg");
    EXPECT_EQ(row.data(app::PictureListModel::DisplayPathRole).toByteArray(), "/home/a/b\xe9.jpg");
    EXPECT_EQ(row.data(app::PictureListModel::RotationRole).toInt(), 0);
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

TEST_F(PictureListModelTest, MovesRowsAndTheSelectionFollows) {
    fill({"a", "b", "c", "d", "e", "f"});
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
    ASSERT_TRUE(model.moveRows(QModelIndex(), 0, 2, QModelIndex(), 4));
    EXPECT_EQ(shown(), (std::vector<std::string>{"c", "d", "a", "b", "e", "f"}));
    ASSERT_TRUE(model.moveRows(QModelIndex(), 5, 1, QModelIndex(), 0));
    EXPECT_EQ(shown(), (std::vector<std::string>{"f", "c", "d", "a", "b", "e"}));
    EXPECT_EQ(moved.count(), 2);
    // Onto themselves, next to themselves, or outside the list: nothing moves.
    EXPECT_FALSE(model.moveRows(QModelIndex(), 1, 2, QModelIndex(), 2));
    EXPECT_FALSE(model.moveRows(QModelIndex(), 1, 2, QModelIndex(), 3));
    EXPECT_FALSE(model.moveRows(QModelIndex(), 5, 2, QModelIndex(), 0));
    EXPECT_FALSE(model.moveRows(QModelIndex(), 0, 1, QModelIndex(), 7));
    EXPECT_EQ(moved.count(), 2);

    model.select(3); // "a"
    // Scattered rows gather before the destination, in their order.
    ASSERT_TRUE(model.moveTo({4, 0, 3}, 2));
    EXPECT_EQ(shown(), (std::vector<std::string>{"c", "f", "a", "b", "d", "e"}));
    EXPECT_EQ(model.selected(), 2);
    ASSERT_TRUE(model.moveTo({0, 1}, 6));
    EXPECT_EQ(shown(), (std::vector<std::string>{"a", "b", "d", "e", "c", "f"}));
    // A destination among the rows stands for the next row that is not.
    ASSERT_TRUE(model.moveTo({1, 4}, 4));
    EXPECT_EQ(shown(), (std::vector<std::string>{"a", "d", "e", "b", "c", "f"}));
    EXPECT_EQ(model.selected(), 0);
    EXPECT_FALSE(model.moveTo({1, 6}, 0));
    EXPECT_FALSE(model.moveTo({1}, 7));
    EXPECT_FALSE(model.moveTo({}, 0));
    EXPECT_EQ(shown(), (std::vector<std::string>{"a", "d", "e", "b", "c", "f"}));
}

TEST_F(PictureListModelTest, RotateAddsQuarterTurns) {
    fill({"a", "b"});
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const auto turns = [this](int row) {
        return model.index(row).data(app::PictureListModel::RotationRole).toInt();
    };
    ASSERT_TRUE(model.rotate(1, 1));
    EXPECT_EQ(turns(1), 1);
    ASSERT_TRUE(model.rotate(1, 3));
    EXPECT_EQ(turns(1), 0);
    ASSERT_TRUE(model.rotate(1, -1));
    EXPECT_EQ(turns(1), 3);
    ASSERT_TRUE(model.rotate(0, -6));
    EXPECT_EQ(turns(0), 2);
    EXPECT_FALSE(model.rotate(2, 1));
    ASSERT_EQ(changed.count(), 4);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex().row(), 1);
    EXPECT_EQ(changed.at(0).at(2).value<QList<int>>(),
              QList<int>{app::PictureListModel::RotationRole});
    // The turn goes with its row.
    ASSERT_TRUE(model.moveRows(QModelIndex(), 1, 1, QModelIndex(), 0));
    EXPECT_EQ(turns(0), 3);
    EXPECT_EQ(turns(1), 2);
}

TEST_F(PictureListModelTest, RemovesSeveralRows) {
    fill({"a", "b", "c", "d", "e", "f"});
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    ASSERT_TRUE(model.removeRowsAt({4, 0, 1, 4, 2}));
    EXPECT_EQ(shown(), (std::vector<std::string>{"d", "f"}));
    EXPECT_EQ(removed.count(), 2); // 4, then 0..2
    EXPECT_FALSE(model.removeRowsAt({0, 2}));
    EXPECT_FALSE(model.removeRowsAt({}));
    EXPECT_FALSE(model.removeRows(1, 2));
    EXPECT_EQ(shown(), (std::vector<std::string>{"d", "f"}));
}

TEST_F(PictureListModelTest, SortOrdersByWorkingPathStablyKeepingEachRowWhole) {
    model.append("/w/IMG_10.jpg", "ten");
    model.append("/w/img_2.jpg", "two");
    model.append("/w/IMG_2.jpg", "two again");
    model.append("/w/a.jpg", "a");
    ASSERT_TRUE(model.rotate(0, 1));
    ASSERT_TRUE(model.rotate(2, 2));
    model.select(2);
    model.sort();
    EXPECT_EQ(shown(), (std::vector<std::string>{"a", "two", "two again", "ten"}));
    EXPECT_EQ(model.workingPath(2), "/w/IMG_2.jpg");
    EXPECT_EQ(model.index(2).data(app::PictureListModel::RotationRole).toInt(), 2);
    EXPECT_EQ(model.index(3).data(app::PictureListModel::RotationRole).toInt(), 1);
    EXPECT_EQ(model.selected(), -1);
}

// Every kind of change goes back and comes again, under the tester; the rows it brings back,
// moves or turns are selected afterwards.
TEST_F(PictureListModelTest, UndoesAndRedoesEveryKindOfChange) {
    fill({"a", "b", "c", "d"});
    const std::vector<std::string> start = shown();
    const auto turns = [this](int row) {
        return model.index(row).data(app::PictureListModel::RotationRole).toInt();
    };
    const auto selectedRows = [this] {
        std::vector<int> rows;
        for (const QModelIndex& index : model.selectionModel()->selectedIndexes())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    struct Case {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> after;
        std::vector<int> selectedAfterUndo;
    };
    const Case cases[] = {
        {"remove", [this] { model.removeAt(1); }, {"a", "c", "d"}, {1}},
        {"remove several",
         [this] {
             model.removeRowsAt({3, 0, 1});
         },
         {"c"},
         {0, 1, 3}},
        {"clear", [this] { model.clear(); }, {}, {0, 1, 2, 3}},
        {"swap", [this] { model.swap(2, 3); }, {"a", "b", "d", "c"}, {2}},
        {"move",
         [this] {
             model.moveTo({0, 2}, 4);
         },
         {"b", "d", "a", "c"},
         {0, 2}},
        {"append",
         [this] {
             const app::PictureListModel::Edit edit(model);
             model.append("/w/e", "e");
             model.append("/w/f", "f");
         },
         {"a", "b", "c", "d", "e", "f"},
         {}},
        {"sort", [this] { model.sort(); }, start, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (std::string(c.what) == "sort") { // sorting a sorted list changes no order
            ASSERT_TRUE(model.moveTo({3}, 0));
        }
        const std::vector<std::string> before = shown();
        c.change();
        EXPECT_EQ(shown(), c.after);
        ASSERT_TRUE(model.canUndo());
        EXPECT_FALSE(model.canRedo());
        ASSERT_TRUE(model.undo());
        EXPECT_EQ(shown(), before);
        EXPECT_EQ(selectedRows(), c.selectedAfterUndo);
        ASSERT_TRUE(model.redo());
        EXPECT_EQ(shown(), c.after);
        ASSERT_TRUE(model.undo());
        EXPECT_EQ(shown(), before);
        EXPECT_TRUE(model.canRedo());
    }

    // Turns, and working paths, go with their rows.
    ASSERT_TRUE(model.rotate(1, 1));
    ASSERT_TRUE(model.rotate(1, -3));
    EXPECT_EQ(turns(1), 2);
    ASSERT_TRUE(model.undo());
    EXPECT_EQ(turns(1), 1);
    ASSERT_TRUE(model.undo());
    EXPECT_EQ(turns(1), 0);
    ASSERT_TRUE(model.redo());
    EXPECT_EQ(turns(1), 1);
    EXPECT_EQ(model.selected(), 1);
    // A new change drops what was undone.
    ASSERT_TRUE(model.swap(0, 1));
    EXPECT_FALSE(model.canRedo());
    ASSERT_TRUE(model.undo());
    EXPECT_EQ(model.workingPath(1), "/w/" + shown()[1]);
    EXPECT_EQ(turns(1), 1);
}

// A PDF row splits into runs of its pages, each a row with the file and turn; a turn, move or
// removal of one run made with the split in one edit undoes to the one row, selected.
TEST_F(PictureListModelTest, SplitsAPdfIntoRunsOfPagesAndUndoesToTheOneRow) {
    fill({"a.jpg", "x.pdf"});
    ASSERT_TRUE(model.rotate(1, 2));
    const app::PictureEntry whole = model.entries()[1];
    const auto pagesOf = [this](int row) {
        return model.entries()[static_cast<std::size_t>(row)].pages;
    };
    EXPECT_EQ(model.splitPages(1, 5, {0, 5, 9}), 1); // no cut inside the pages
    EXPECT_EQ(model.count(), 2);

    // Turning page 3 of five: pages 1-2 | 3 | 4-5.
    {
        const app::PictureListModel::Edit edit(model);
        ASSERT_EQ(model.splitPages(1, 5, {3, 2}), 3);
        ASSERT_TRUE(model.rotate(2, 1));
    }
    ASSERT_EQ(model.count(), 4);
    EXPECT_EQ(pagesOf(1), (std::vector<int>{1, 2}));
    EXPECT_EQ(pagesOf(2), (std::vector<int>{3}));
    EXPECT_EQ(pagesOf(3), (std::vector<int>{4, 5}));
    for (int row = 1; row < 4; ++row)
        EXPECT_EQ(model.workingPath(row), "/w/x.pdf");
    EXPECT_EQ(model.index(1).data(app::PictureListModel::RotationRole).toInt(), 2);
    EXPECT_EQ(model.index(2).data(app::PictureListModel::RotationRole).toInt(), 3);
    EXPECT_EQ(model.index(2).data(app::PictureListModel::PagesRole).value<QList<int>>(),
              QList<int>{3});
    EXPECT_EQ(app::pagesText(pagesOf(1)), QStringLiteral("pages 1-2"));
    EXPECT_EQ(app::pagesText(pagesOf(2)), QStringLiteral("page 3"));
    EXPECT_EQ(app::pagesText({4, 1, 2, 7}), QStringLiteral("pages 4, 1-2, 7"));
    EXPECT_TRUE(app::pagesText({}).isEmpty());

    // A run split again keeps its own page numbers; moved first, then removed.
    {
        const app::PictureListModel::Edit edit(model);
        ASSERT_EQ(model.splitPages(3, 5, {1}), 2);
        ASSERT_TRUE(model.moveTo({4}, 0));
    }
    EXPECT_EQ(pagesOf(0), (std::vector<int>{5}));
    EXPECT_EQ(pagesOf(4), (std::vector<int>{4}));
    {
        const app::PictureListModel::Edit edit(model);
        ASSERT_EQ(model.splitPages(2, 5, {1}), 2);
        ASSERT_TRUE(model.removeRowsAt({2}));
    }
    EXPECT_EQ(pagesOf(2), (std::vector<int>{2}));

    for (int step = 0; step < 3; ++step)
        ASSERT_TRUE(model.undo());
    ASSERT_EQ(model.count(), 2);
    EXPECT_EQ(model.entries()[1], whole);
    EXPECT_EQ(model.selected(), 1);
    ASSERT_TRUE(model.redo());
    EXPECT_EQ(model.count(), 4);
    EXPECT_EQ(pagesOf(2), (std::vector<int>{3}));
    EXPECT_EQ(model.index(2).data(app::PictureListModel::RotationRole).toInt(), 3);
    EXPECT_EQ(model.splitPages(7, 5, {1}), 0);
}

TEST_F(PictureListModelTest, AnOpenEditIsOneStepAndCannotBeUndoneMeanwhile) {
    QSignalSpy history(&model, &app::PictureListModel::historyChanged);
    model.beginEdit();
    fill({"a", "b", "c"});
    model.beginEdit(); // nested: still the same step
    model.rotate(0, 1);
    model.endEdit();
    EXPECT_FALSE(model.canUndo());
    EXPECT_FALSE(model.undo());
    EXPECT_EQ(shown().size(), 3u);
    model.endEdit();
    EXPECT_GE(history.count(), 2);
    EXPECT_EQ(model.historySteps(), 1u);
    ASSERT_TRUE(model.undo());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.canUndo());
    ASSERT_TRUE(model.redo());
    EXPECT_EQ(shown(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(model.index(0).data(app::PictureListModel::RotationRole).toInt(), 1);
}

// Without the tester, which checks the whole model after every row.
TEST(PictureListModelHistory, RemoveAllOfThousandsUndoesAtOnceAndTheHistoryIsCapped) {
    app::PictureListModel model;
    {
        const app::PictureListModel::Edit edit(model);
        for (int i = 0; i < 5000; ++i)
            model.append("/w/" + std::to_string(i) + ".jpg", std::to_string(i));
    }
    model.clear();
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    ASSERT_TRUE(model.undo());
    EXPECT_EQ(model.rowCount(), 5000);
    EXPECT_EQ(inserted.count(), 1); // one insertion of every row, not one per row
    EXPECT_EQ(model.displayPath(4999), "4999");
    ASSERT_TRUE(model.undo());
    EXPECT_EQ(model.rowCount(), 0);
    ASSERT_TRUE(model.redo());
    EXPECT_EQ(model.rowCount(), 5000);

    // Removed rows each hold a long path: the history lets the oldest go.
    const std::string longName(1 << 20, 'x');
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(model.append("/w/" + longName, longName));
        ASSERT_TRUE(model.removeAt(model.count() - 1));
    }
    EXPECT_LE(model.historyBytes(), app::PictureListModel::kHistoryBytes);
    EXPECT_LT(model.historySteps(), 200u);
    for (std::size_t i = 0; i < app::PictureListModel::kHistorySteps + 10; ++i)
        ASSERT_TRUE(model.swap(0, 1));
    EXPECT_EQ(model.historySteps(), app::PictureListModel::kHistorySteps);
    int undone = 0;
    while (model.undo())
        ++undone;
    EXPECT_EQ(undone, static_cast<int>(app::PictureListModel::kHistorySteps));
}

// Without the tester, which checks the whole model after every row.
TEST(PictureListModelLimit, RefusesRowsBeyondTheLimit) {
    app::PictureListModel model;
    for (int i = 0; i < app::PictureListModel::kMaxEntries; ++i)
        ASSERT_TRUE(model.append("/w/x", "x"));
    EXPECT_FALSE(model.append("/w/y", "y"));
    EXPECT_EQ(model.rowCount(), app::PictureListModel::kMaxEntries);
}

} // namespace
} // namespace pw
