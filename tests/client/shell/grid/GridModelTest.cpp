// The list's model on its own: columns from a result description, rows packed from the worker's
// batches, and rows removed across blocks.

#include <sqlext.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "client/resources/Strings.h"
#include "client/shell/GridModel.h"
#include "tests/client/shell/grid/GridTests.h"

namespace fonedesk::test {
namespace {

CODBCFieldInfo Field(const char* name, SQLSMALLINT type) {
    CODBCFieldInfo info;
    info.m_strName = name;
    info.m_nSQLType = type;
    return info;
}

std::vector<GridColumn> CallLogColumns() {
    return GridColumnsOf(
        {Field("RID", SQL_INTEGER), Field("NAND_MESS", SQL_INTEGER), Field("ABONENT", SQL_VARCHAR),
         Field("DT_CALL", SQL_TYPE_TIMESTAMP), Field("DELAY", SQL_INTEGER)},
        ParseColumnCaptions(LoadString(IDS_COLUMN_CAPTIONS).toStdString()));
}

// A batch of call-log rows: RID, NAND_MESS, ABONENT, DT_CALL, DELAY each.
RowBatch CallRows(const std::vector<std::vector<std::string>>& rows) {
    RowBatch batch;
    batch.columnCount = 5;
    for (const auto& row : rows) {
        batch.fields.insert(batch.fields.end(), row.begin(), row.end());
    }
    return batch;
}

CGridRowBlock Block(int firstRid, int count) {
    std::vector<std::vector<std::string>> rows;
    for (int rid = firstRid; rid < firstRid + count; ++rid) {
        rows.push_back({std::to_string(rid), std::to_string(rid % 2), "name " + std::to_string(rid),
                        "2003-05-07 14:09:00", std::to_string(rid * 10)});
    }
    return CGridRowBlock::FromBatch(CallRows(rows), CallLogColumns());
}

QList<int> Rids(const CGridModel& model) {
    QList<int> rids;
    for (int row = 0; row < model.rowCount(); ++row) {
        rids.append(model.data(model.index(row, 2), CGridModel::RidRole).toInt());
    }
    return rids;
}

}  // namespace

class TestGridModel : public QObject {
    Q_OBJECT
  private slots:
    void columnsComeFromTheResultAfterRid();
    void rowsKeepTheirTextsWithoutSecondsAndAnIconForAHandle();
    void removedRowsLeaveEveryBlockTheyWereIn();
};

void TestGridModel::columnsComeFromTheResultAfterRid() {
    const std::vector<GridColumn> log = CallLogColumns();
    QCOMPARE(log.size(), std::size_t{4});
    QStringList captions;
    for (const GridColumn& c : log) {
        captions.append(c.caption);
    }
    QCOMPARE(captions, (QStringList{QString(), "Абонент", "Дата звонка", "Длительность"}));
    QVERIFY(log[0].icon);
    QVERIFY(!log[1].icon && !log[1].timestamp);
    QVERIFY(log[2].timestamp);

    // Lower-case names, as PostgreSQL reports them, and a column the captions do not know.
    const std::vector<GridColumn> other =
        GridColumnsOf({Field("rid", SQL_INTEGER), Field("nand_mess", SQL_SMALLINT),
                       Field("NAND_ADR", SQL_INTEGER), Field("dt_call", SQL_TIMESTAMP)},
                      ParseColumnCaptions(LoadString(IDS_COLUMN_CAPTIONS).toStdString()));
    QCOMPARE(other.size(), std::size_t{3});
    QVERIFY(other[0].icon);
    QCOMPARE(other[1].caption, QStringLiteral("NAND_ADR"));
    QCOMPARE(other[2].caption, QStringLiteral("Дата звонка"));
    QVERIFY(other[2].timestamp);
}

void TestGridModel::rowsKeepTheirTextsWithoutSecondsAndAnIconForAHandle() {
    const std::string longName(300, 'x');  // longer than one length byte holds
    CGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.SetColumns(CallLogColumns());
    model.AppendRows(
        CGridRowBlock::FromBatch(CallRows({{"17", "0", "Анна", "2003-05-07 14:09:00", "5"},
                                           {"18", "4660", longName, "2003-05-08 09:30:00", "120"},
                                           {"19", "", "", "", ""}}),  // nulls read as empty texts
                                 CallLogColumns()));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.columnCount(), 4);

    const auto text = [&](int row, int column) {
        return model.data(model.index(row, column), Qt::DisplayRole);
    };
    QCOMPARE(text(0, 1).toString(), QStringLiteral("Анна"));
    QCOMPARE(text(0, 2).toString(), QStringLiteral("2003-05-07 14:09"));
    QCOMPARE(text(0, 3).toString(), QStringLiteral("5"));
    QCOMPARE(text(1, 1).toString(), QString::fromStdString(longName));
    QCOMPARE(text(1, 2).toString(), QStringLiteral("2003-05-08 09:30"));
    QCOMPARE(text(1, 3).toString(), QStringLiteral("120"));
    QCOMPARE(text(2, 2).toString(), QString());
    QVERIFY(!text(0, 0).isValid());  // the icon column has no text

    const auto icon = [&](int row) {
        return model.data(model.index(row, 0), CGridModel::IconIndexRole).toInt();
    };
    QCOMPARE(icon(0), 0);
    QCOMPARE(icon(1), 1);
    QCOMPARE(icon(2), 0);  // a null handle is no message either
    QVERIFY(model.data(model.index(0, 0), Qt::DecorationRole).isNull());
    QVERIFY(!model.data(model.index(1, 0), Qt::DecorationRole).value<QPixmap>().isNull());
    QCOMPARE(model.data(model.index(1, 3), CGridModel::RidRole).toInt(), 18);
    QCOMPARE(model.data(model.index(1, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::Alignment(Qt::AlignCenter));
}

void TestGridModel::removedRowsLeaveEveryBlockTheyWereIn() {
    CGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.SetColumns(CallLogColumns());
    model.AppendRows(Block(1, 3));
    model.AppendRows(Block(4, 3));
    model.AppendRows(Block(7, 2));
    QCOMPARE(Rids(model), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8}));

    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.RemoveRows({7, 3, 1, 2, 3, 42, -1});  // two runs: 1..3 across two blocks, and 7
    QCOMPARE(Rids(model), (QList<int>{1, 5, 6, 7}));
    QCOMPARE(removed.count(), 2);
    QCOMPARE(model.Text(1, 1), QStringLiteral("name 5"));
    QCOMPARE(model.IconIndex(1), 1);
    QCOMPARE(model.Text(3, 3), QStringLiteral("70"));

    model.AppendRows(Block(9, 1));
    QCOMPARE(Rids(model), (QList<int>{1, 5, 6, 7, 9}));
    model.RemoveRows({0, 1, 2, 3, 4});
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 4);
}

int RunGridModelTests(int argc, char** argv) {
    TestGridModel tests;
    return QTest::qExec(&tests, argc, argv);
}

}  // namespace fonedesk::test

#include "GridModelTest.moc"
