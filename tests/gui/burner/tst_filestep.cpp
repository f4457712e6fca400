// The burner's file page: adding clips by drop, the disc limits, the order.
#include "Screenshots.h"
#include "TestSupport.h"

#include "burner/Project.h"
#include "burner/VideoClipModel.h"
#include "gui/burner/BurnerWizard.h"
#include "gui/burner/FileStep.h"

#include "core/SiteConfig.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QValidator>
#include <QtTest>

#include <QAbstractItemModelTester>

#include <memory>

class TestFileStep : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Project m_project;
    std::unique_ptr<BurnerWizard> m_wizard;
    // Watches the clip table's model through every test.
    std::unique_ptr<QAbstractItemModelTester> m_clipTester;

    FileStep *step() const { return m_wizard->fileStep(); }
    template <typename T> T *child(const char *name) const
    {
        return step()->findChild<T *>(QLatin1String(name));
    }
    QStringList clipNames() const
    {
        QStringList names;
        for (const VideoClip &clip : m_project.clips())
            names << QFileInfo(clip.path).fileName();
        return names;
    }
    void addClip(const QString &name, double seconds)
    {
        m_project.addClip(VideoClip(m_dir.filePath(name), seconds, 2000, 720, 480));
    }

public Q_SLOTS:
    void openUrl(const QUrl &url) { m_opened << url; }

private:
    QList<QUrl> m_opened;

private Q_SLOTS:
    void initTestCase()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("filestep.avi"), 1.0);
        QVERIFY(!clip.isEmpty());
        for (const char *name : {"CLIP.AVI", "b.mp4", "c.mov"})
            QVERIFY(QFile::copy(clip, m_dir.filePath(QLatin1String(name))));
        QFile text(m_dir.filePath(QStringLiteral("notes.txt")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a video\n");
    }

    void init()
    {
        m_wizard = std::make_unique<BurnerWizard>(&m_project);
        m_wizard->show(); // starts at the file page, which resets the project
        QCOMPARE(m_wizard->currentId(), int(BurnerWizard::FilePage));
        QVERIFY(m_project.clips().isEmpty());
        m_clipTester = std::make_unique<QAbstractItemModelTester>(
            child<QTableView>("clipTable")->model(),
            QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void cleanup()
    {
        m_clipTester.reset();
        m_wizard.reset();
    }

    void dropAddsVideoFilesInOrder_data()
    {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("added");

        QTest::newRow("upper-case suffix") << QStringList{"CLIP.AVI"} << QStringList{"CLIP.AVI"};
        QTest::newRow("not a video") << QStringList{"notes.txt"} << QStringList{};
        QTest::newRow("mixed, order kept") << QStringList{"c.mov", "notes.txt", "CLIP.AVI", "b.mp4"}
                                           << QStringList{"c.mov", "CLIP.AVI", "b.mp4"};
    }

    void dropAddsVideoFilesInOrder()
    {
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, added);
        QList<QUrl> urls;
        for (const QString &name : dropped)
            urls << QUrl::fromLocalFile(m_dir.filePath(name));
        QMimeData mime;
        mime.setUrls(urls);
        auto *model = qobject_cast<VideoClipModel *>(child<QTableView>("clipTable")->model());
        QVERIFY(model);
        model->dropMimeData(&mime, Qt::CopyAction, -1, -1, QModelIndex());

        QTRY_VERIFY_WITH_TIMEOUT(step()->scansFinished(), 60000);
        QCOMPARE(clipNames(), added);
        QCOMPARE(model->rowCount(), added.size());
        QCOMPARE(child<QLabel>("tracksLabel")->text(), QString::number(added.size()));
        QCOMPARE(step()->isComplete(), !added.isEmpty());
        for (const VideoClip &clip : m_project.clips())
            QVERIFY2(clip.seconds > 0.5, qPrintable(clip.path)); // really scanned
    }

    void playTimeLimits_data()
    {
        QTest::addColumn<int>("discType");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("error");

        QTest::newRow("DVD at its limit") << 0 << 3 * 3600 + 3 * 60 << QString();
        QTest::newRow("DVD a second over")
            << 0 << 3 * 3600 + 3 * 60 + 1
            << QStringLiteral("<font color='red'>Media only supports 03:03:00</font>");
        QTest::newRow("dual layer takes it") << 1 << 3 * 3600 + 3 * 60 + 1 << QString();
        QTest::newRow("VCD over") << 2 << 46 * 60
                                  << QStringLiteral(
                                         "<font color='red'>Media only supports 00:45:00</font>");
        QTest::newRow("SVCD at its limit") << 3 << 30 * 60 << QString();
    }

    void playTimeLimits()
    {
        QFETCH(int, discType);
        QFETCH(int, seconds);
        QFETCH(QString, error);
        if (error.isEmpty() &&
            m_project.freeSpace() < Project::requiredFreeSpace(DiscType(discType)))
            error = QStringLiteral("<font color='red'>Not enough space on drive</font>");
        // Two clips, so the total is what is checked.
        addClip(QStringLiteral("one.avi"), seconds - 60);
        addClip(QStringLiteral("two.avi"), 60);
        auto *discTypes = child<QComboBox>("discTypeBox");
        discTypes->setCurrentIndex(discType);
        Q_EMIT discTypes->activated(discType);

        QCOMPARE(child<QLabel>("errorLabel")->text(), error);
        QCOMPARE(step()->isComplete(), error.isEmpty());
        const QString time = QTime(0, 0).addSecs(seconds).toString(QStringLiteral("HH:mm:ss"));
        QCOMPARE(child<QLabel>("timeLabel")->text(),
                 QStringLiteral("<font color='%1'>%2</font>")
                     .arg(error.isEmpty() ? QStringLiteral("black") : QStringLiteral("red"), time));
        QCOMPARE(child<QProgressBar>("timeBar")->maximum(),
                 Project::longestPlayTime(DiscType(discType)));
        QCOMPARE(int(m_project.discType()), discType);
    }

    void orderAndRemove()
    {
        for (const char *name : {"a.avi", "b.avi", "c.avi"})
            addClip(QLatin1String(name), 10);
        step()->updateTotals();
        auto *table = child<QTableView>("clipTable");
        auto *remove = child<QPushButton>("removeButton");
        QVERIFY(!remove->isEnabled());

        table->selectRow(2);
        child<QPushButton>("upButton")->click();
        QCOMPARE(clipNames(), (QStringList{"a.avi", "c.avi", "b.avi"}));
        child<QPushButton>("upButton")->click(); // the moved clip stays selected
        QCOMPARE(clipNames(), (QStringList{"c.avi", "a.avi", "b.avi"}));
        child<QPushButton>("upButton")->click(); // already first
        QCOMPARE(clipNames(), (QStringList{"c.avi", "a.avi", "b.avi"}));
        table->selectRow(2);
        child<QPushButton>("downButton")->click(); // already last
        QCOMPARE(clipNames(), (QStringList{"c.avi", "a.avi", "b.avi"}));

        const QModelIndex middle = table->model()->index(1, 0);
        table->selectRow(1);
        Q_EMIT table->clicked(middle);
        QVERIFY(remove->isEnabled());
        remove->click();
        QCOMPARE(clipNames(), (QStringList{"c.avi", "b.avi"}));
        QCOMPARE(child<QLabel>("tracksLabel")->text(), QStringLiteral("2"));
    }

    // The subtitles beside a video show in the table; a check box leaves
    // them off, and a (S)VCD says it cannot carry them.
    void subtitleChoice()
    {
        const QString movie = m_dir.filePath(QStringLiteral("Movie.mp4"));
        if (!QFile::exists(movie)) {
            QVERIFY(QFile::copy(m_dir.filePath(QStringLiteral("b.mp4")), movie));
            for (const char *name : {"Movie.en.srt", "Movie.de.vtt"}) {
                QFile file(m_dir.filePath(QLatin1String(name)));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write("1\n00:00:00,000 --> 00:00:01,000\nHello\n");
            }
        }
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(movie),
                      QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("b.mp4")))});
        auto *table = child<QTableView>("clipTable");
        auto *model = qobject_cast<VideoClipModel *>(table->model());
        model->dropMimeData(&mime, Qt::CopyAction, -1, -1, QModelIndex());
        QTRY_VERIFY_WITH_TIMEOUT(step()->scansFinished(), 60000);
        QCOMPARE(clipNames(), (QStringList{"Movie.mp4", "b.mp4"}));

        const int column = VideoClipModel::SubtitlesColumn;
        QCOMPARE(model->headerData(column, Qt::Horizontal).toString(), QStringLiteral("Subtitles"));
        const QModelIndex withSubtitles = model->index(0, column);
        const QModelIndex without = model->index(1, column);
        QCOMPARE(withSubtitles.data().toString(), QStringLiteral("Deutsch, English"));
        QCOMPARE(withSubtitles.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(withSubtitles.flags().testFlag(Qt::ItemIsUserCheckable));
        QVERIFY(without.data().toString().isEmpty());
        QVERIFY(!without.data(Qt::CheckStateRole).isValid());
        QVERIFY(!without.flags().testFlag(Qt::ItemIsUserCheckable));
        auto *note = child<QLabel>("subtitleNote");
        QVERIFY(note->isVisible());
        QVERIFY(note->text().contains(QStringLiteral("leave them off")));
        Screenshots::keep(m_wizard.get(), QStringLiteral("filestep-subtitles.png"));

        // The space bar on the cell works the box, as a click does.
        table->setFocus();
        table->setCurrentIndex(withSubtitles);
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(withSubtitles.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(!m_project.clips().at(0).carriesSubtitles());
        Screenshots::keep(m_wizard.get(), QStringLiteral("filestep-subtitles-off.png"));
        QTest::keyClick(table, Qt::Key_Space);
        QVERIFY(m_project.clips().at(0).carriesSubtitles());

        auto *discTypes = child<QComboBox>("discTypeBox");
        for (int type : {2, 3}) {
            discTypes->setCurrentIndex(type);
            Q_EMIT discTypes->activated(type);
            QVERIFY(note->text().startsWith(QStringLiteral("VCD and SVCD discs cannot carry")));
            QCOMPARE(withSubtitles.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
            QVERIFY(!withSubtitles.flags().testFlag(Qt::ItemIsUserCheckable));
            QVERIFY(!model->setData(withSubtitles, Qt::Checked, Qt::CheckStateRole));
        }
        Screenshots::keep(m_wizard.get(), QStringLiteral("filestep-subtitles-vcd.png"));
        // Back on a DVD the choice is as it was.
        discTypes->setCurrentIndex(0);
        Q_EMIT discTypes->activated(0);
        QCOMPARE(withSubtitles.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

        // Without subtitles there is nothing to say.
        m_project.removeClipAt(0);
        step()->updateTotals();
        QVERIFY(!note->isVisible());
    }

    void helpOpensTheHelpPage()
    {
        SiteConfig::setValue(QStringLiteral("productSiteUrl"),
                             QUrl(QStringLiteral("http://127.0.0.1:9")));
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openUrl");
        m_wizard->button(QWizard::HelpButton)->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QCOMPARE(m_opened, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1:9/help/pc"))});
    }

    void titleRefusesPathCharacters_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("plain") << QStringLiteral("Summer 2026 - part 1") << true;
        QTest::newRow("slash") << QStringLiteral("a/b") << false;
        QTest::newRow("colon") << QStringLiteral("a:b") << false;
        QTest::newRow("quote") << QStringLiteral("a\"b") << false;
        QTest::newRow("star and pipe") << QStringLiteral("a*|b") << false;
    }

    void titleRefusesPathCharacters()
    {
        QFETCH(QString, title);
        QFETCH(bool, accepted);
        auto *edit = child<QLineEdit>("titleEdit");
        QCOMPARE(edit->text(), QStringLiteral("NEW"));
        int pos = 0;
        QString text = title;
        QCOMPARE(edit->validator()->validate(text, pos) == QValidator::Acceptable, accepted);
        if (accepted) {
            edit->setText(title);
            QVERIFY(step()->validatePage());
            QCOMPARE(m_project.title(), title);
        }
    }
};

QTEST_MAIN(TestFileStep)
#include "tst_filestep.moc"
