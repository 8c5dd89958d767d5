// The set as the set window edits it: where dropped pictures go, what counts
// as a change, and that a refused file leaves the set alone.

#include "sets/SetDocument.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Boxes = std::vector<int>;

QString PictureAt(const wheel::SetDocument& doc, int box)
{
    const auto& cell = doc.Set().Cell(box);
    return cell ? cell->picture : QString();
}

TEST(SetDocument, DroppedPicturesFillEmptyBoxesFromTheOneDroppedOn)
{
    wheel::SetDocument doc;
    doc.New();
    doc.Put(4, QStringLiteral("/p/a.png"));

    auto dropped = doc.Drop(2, {QStringLiteral("/p/1.png"), QStringLiteral("/p/2.png"), QStringLiteral("/p/3.png")});
    EXPECT_EQ(dropped.boxes, (Boxes{2, 3}));
    EXPECT_EQ(dropped.refused, QStringList{QStringLiteral("/p/3.png")});
    EXPECT_EQ(PictureAt(doc, 4), QStringLiteral("/p/a.png"));

    dropped = doc.Drop(4, {QStringLiteral("/p/x.png")});   // one picture: wherever it is dropped
    EXPECT_EQ(dropped.boxes, (Boxes{4}));
    EXPECT_EQ(PictureAt(doc, 4), QStringLiteral("/p/x.png"));

    dropped = doc.Drop(19, {QStringLiteral("/p/y.png"), QStringLiteral("/p/z.png"), QStringLiteral("/p/w.png")});
    EXPECT_EQ(dropped.boxes, (Boxes{19, 20}));
    EXPECT_EQ(dropped.refused, QStringList{QStringLiteral("/p/w.png")});
    dropped = doc.Drop(20, {QStringLiteral("/p/u.png"), QStringLiteral("/p/v.png")});
    EXPECT_TRUE(dropped.boxes.empty());
    EXPECT_EQ(dropped.refused.size(), 2);
    EXPECT_EQ(PictureAt(doc, 20), QStringLiteral("/p/z.png"));
    EXPECT_EQ(doc.Set().FilledCount(), 5);
}

TEST(SetDocument, SavedOpenedAndWhatCountsAsAChange)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    wheel::SetDocument doc;
    doc.New();
    EXPECT_FALSE(doc.Modified());
    wheel::PictureAdjustments turned;
    turned.rotate = wheel::Rotation::Deg180;
    doc.Put(1, dir.filePath(QStringLiteral("a.png")));
    EXPECT_TRUE(doc.Adjust(1, turned));
    EXPECT_FALSE(doc.Adjust(2, turned));   // an empty box has nothing to adjust
    EXPECT_TRUE(doc.Modified());

    const QString path = dir.filePath(QStringLiteral("s.wheelset"));
    ASSERT_TRUE(doc.Save(path));
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.Path(), path);
    // Nothing that leaves the set as it is counts as a change.
    doc.SetMode48(true);
    doc.Adjust(1, turned);
    doc.Clear(5);
    EXPECT_FALSE(doc.Modified());
    doc.SetMode48(false);
    EXPECT_TRUE(doc.Modified());

    // A refused file loads nothing and keeps the changes.
    const QString bad = dir.filePath(QStringLiteral("bad.wheelset"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(R"({"format": "something else", "version": 1})") > 0);
    file.close();
    wheel::SetFileError error;
    EXPECT_FALSE(doc.Open(bad, &error));
    EXPECT_EQ(error.reason, wheel::SetFileError::Reason::NotASet);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.Path(), path);
    EXPECT_FALSE(doc.Set().mode48);

    wheel::SetDocument reopened;
    ASSERT_TRUE(reopened.Open(path));
    EXPECT_FALSE(reopened.Modified());
    EXPECT_TRUE(reopened.Set().mode48);
    EXPECT_EQ(reopened.Set().Cell(1), (wheel::SetCell{dir.filePath(QStringLiteral("a.png")), turned}));
}

} // namespace
