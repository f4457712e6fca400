// The whole burner window with the real tools: clips in, through the disc
// setup and the task list, out as an image on a "stdio:" recorder.
#include "Screenshots.h"
#include "TestSupport.h"

#include "burner/BurnQueue.h"
#include "burner/LibburnDeviceController.h"
#include "burner/Project.h"
#include "gui/burner/BurnStep.h"
#include "gui/burner/BurnerWizard.h"
#include "gui/burner/DiscSetupDialog.h"
#include "gui/burner/FileStep.h"
#include "gui/dialogs/ErrorReportDialog.h"
#include "web/Account.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <QAbstractItemModelTester>

#include <memory>

namespace {

// The visible one of `root`'s children of type T (dialogs close and go).
template <typename T> T *shown(const QObject *root)
{
    for (T *widget : root->findChildren<T *>()) {
        if (widget->isVisible())
            return widget;
    }
    return nullptr;
}

} // namespace

class TestBurnerWizard : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_clip;
    QString m_broken;
    QWidget m_programWindow; // the rest of the program, which must go on
    Account m_account;       // whose name the failing clip's folder bears
    std::unique_ptr<BurnerWizard> m_wizard;

    std::unique_ptr<Project> m_project; // made once the temporary folder is set
    Project *project()
    {
        if (!m_project)
            m_project = std::make_unique<Project>();
        return m_project.get();
    }

    // Adds the files on the file page and waits for their scans.
    void addFiles(const QStringList &files)
    {
        for (const QString &file : files)
            m_wizard->fileStep()->addFile(file);
        QTRY_VERIFY_WITH_TIMEOUT(m_wizard->fileStep()->scansFinished() &&
                                     project()->clips().size() == files.size(),
                                 60000);
    }

    // A video that is taken away after it was added, so its conversion
    // fails. Its folder is named after the member.
    QString vanishing()
    {
        const QString path = m_dir.filePath(m_account.userName() + QStringLiteral("/broken.mp4"));
        QDir().mkpath(QFileInfo(path).path());
        if (!QFileInfo::exists(path))
            QFile::copy(m_clip, path);
        return path;
    }

    // Presses Burn on the file page; returns the disc setup dialog.
    DiscSetupDialog *pressBurn()
    {
        QAbstractButton *burn = m_wizard->button(QWizard::NextButton);
        if (!burn->isEnabled())
            return nullptr;
        burn->click();
        DiscSetupDialog *setup = nullptr;
        if (QTest::qWaitFor([&] { return (setup = shown<DiscSetupDialog>(m_wizard.get())); }, 5000))
            setup->setPollInterval(10);
        return setup;
    }

    // Picks an image file as the recorder and presses Burn.
    bool writeInto(DiscSetupDialog *setup, const QString &image)
    {
        if (!setup->addImageFile(image))
            return false;
        auto *burn = setup->findChild<QPushButton *>(QStringLiteral("burnButton"));
        if (!QTest::qWaitFor([burn] { return burn->isEnabled(); }, 10000))
            return false;
        burn->click();
        return true;
    }

    // Picks an image file as the recorder through the "Image File..." button
    // and its file dialog, as a user does, and presses Burn.
    bool chooseInDialog(DiscSetupDialog *setup, const QString &image)
    {
        bool answered = false;
        QTimer::singleShot(0, setup, [&] {
            QFileDialog *files = nullptr;
            if (!QTest::qWaitFor([&] { return (files = shown<QFileDialog>(setup)); }, 10000))
                return;
            files->selectFile(image);
            QMetaObject::invokeMethod(files, "accept"); // as the Save button does
            answered = true;
        });
        setup->findChild<QPushButton *>(QStringLiteral("imageFileButton"))->click();
        auto *burn = setup->findChild<QPushButton *>(QStringLiteral("burnButton"));
        if (!answered || !QTest::qWaitFor([burn] { return burn->isEnabled(); }, 10000))
            return false;
        // What the box shows is the file chosen, whole in its tooltip.
        auto *box = setup->findChild<QComboBox *>(QStringLiteral("recorders"));
        if (box->toolTip() != QDir::toNativeSeparators(image))
            return false;
        Screenshots::keep(setup, QStringLiteral("burner-recorder"));
        burn->click();
        return true;
    }

    // Waits for the completion message, closes it, and waits for the window to go.
    bool burnCompletes()
    {
        QMessageBox *done = nullptr;
        if (!QTest::qWaitFor([&] { return (done = shown<QMessageBox>(m_wizard.get())); }, 180000))
            return false;
        if (done->text() != QLatin1String("Burning is complete!"))
            return false;
        done->button(QMessageBox::Ok)->click();
        return QTest::qWaitFor([&] { return !m_wizard->isVisible(); }, TestSupport::SlowWaitMs);
    }

    // Waits for the error report of a failure, declines sending it and
    // answers the question that follows. The report names the clip, but
    // not the member.
    void answerFailure(const QString &title, QMessageBox::StandardButton answer)
    {
        ZR::ErrorReportDialog *report = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((report = shown<ZR::ErrorReportDialog>(m_wizard.get())), 60000);
        QCOMPARE(report->windowTitle(), title);
        const QString query = report->reportRequestUrl().query(QUrl::FullyDecoded);
        QVERIFY2(query.contains(QStringLiteral("broken.mp4")), qPrintable(query));
        QVERIFY2(!query.contains(m_account.userName()), qPrintable(query));
        report->findChild<QPushButton *>(QStringLiteral("dontSendButton"))->click();
        QMessageBox *question = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((question = shown<QMessageBox>(m_wizard.get())),
                                 TestSupport::SlowWaitMs);
        QCOMPARE(question->windowTitle(), QStringLiteral("Continue"));
        QCOMPARE(question->text(), QStringLiteral("Would you like to continue?"));
        question->button(answer)->click();
    }

    // Picks the disc type on the file page; false when the drive lacks the room.
    bool chooseDiscType(DiscType type)
    {
        auto *box = m_wizard->fileStep()->findChild<QComboBox *>(QStringLiteral("discTypeBox"));
        box->setCurrentIndex(int(type));
        m_wizard->fileStep()->discTypeSelected(int(type));
        return project()->freeSpace() >= Project::requiredFreeSpace(type);
    }

    void cleanup() { m_wizard.reset(); }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TMPDIR", QFile::encodeName(m_dir.path())); // the project's folders
        m_clip = TestSupport::sampleClip(QStringLiteral("wizard-160x120.mp4"), 1.0,
                                         {QStringLiteral("-s"), QStringLiteral("160x120")});
        QVERIFY(!m_clip.isEmpty());
        m_broken = m_dir.filePath(QStringLiteral("broken.avi"));
        QFile broken(m_broken);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray(64 * 1024, '\x5a'));
        broken.close();
        for (const char *name : {"first.mp4", "second.mp4"})
            QVERIFY(QFile::copy(m_clip, m_dir.filePath(QLatin1String(name))));
        m_programWindow.show();
        m_account.login(QStringLiteral("ann.member"), QStringLiteral("secret"));
    }

    void init()
    {
        m_wizard = std::make_unique<BurnerWizard>(project());
        m_wizard->setAccount(&m_account);
        m_wizard->burnStep()->controller()->setHardwareScan(false);
        m_wizard->burnStep()->setReturnDelay(0);
        m_wizard->show();
    }

    void writesTheDiscWithoutTheBrokenClip_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("DVD") << int(DiscType::Dvd);
        QTest::newRow("VCD") << int(DiscType::Vcd);
    }

    void writesTheDiscWithoutTheBrokenClip()
    {
        QFETCH(int, type);
        if (!chooseDiscType(DiscType(type)))
            QSKIP("a DVD project needs 10 GiB free for its work files");
        RUN_CHECKED(addFiles({m_dir.filePath(QStringLiteral("first.mp4")), vanishing(),
                              m_dir.filePath(QStringLiteral("second.mp4"))}));
        QVERIFY(QFile::remove(vanishing())); // gone before its conversion
        const QString work = project()->tempDirectory().absolutePath();
        QSignalSpy finished(m_wizard.get(), &BurnerWizard::burnFinished);
        DiscSetupDialog *setup = pressBurn();
        QVERIFY(setup);
        QCOMPARE(m_wizard->currentId(), int(BurnerWizard::BurnPage));
        const QString image = m_dir.filePath(QStringLiteral("disc.iso"));
        QVERIFY(writeInto(setup, image));
        // A row per clip and one for the authoring and the write.
        QTRY_COMPARE_WITH_TIMEOUT(m_wizard->burnStep()->taskList()->model()->rowCount(), 4,
                                  TestSupport::SlowWaitMs);
        const QAbstractItemModelTester taskTester(
            m_wizard->burnStep()->taskList()->model(),
            QAbstractItemModelTester::FailureReportingMode::QtTest);

        RUN_CHECKED(answerFailure(QStringLiteral("Conversion Error"), QMessageBox::Yes));

        QMessageBox *done = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((done = shown<QMessageBox>(m_wizard.get())), 180000);
        QCOMPARE(done->text(), QStringLiteral("Burning is complete!"));
        QCOMPARE(project()->clips().size(), 2); // the broken clip left the disc
        done->button(QMessageBox::Ok)->click();

        QTRY_VERIFY_WITH_TIMEOUT(!m_wizard->isVisible(), TestSupport::SlowWaitMs);
        QVERIFY(m_programWindow.isVisible());
        QCOMPARE(finished.count(), 1);
        QVERIFY(!QFileInfo::exists(work));
        if (DiscType(type) == DiscType::Dvd) {
            QCOMPARE(TestSupport::dvdTitles(image), 2);
        } else {
            // A VCD keeps its track list in ENTRIES.VCD.
            const QByteArray written = TestSupport::readFile(image);
            QVERIFY(written.contains("ENTRYVCD"));
            QVERIFY(written.size() > 2 * 1024 * 1024);
        }
        // Opened again it starts with an empty page.
        QCOMPARE(m_wizard->currentId(), int(BurnerWizard::FilePage));
        QVERIFY(project()->clips().isEmpty());
    }

    // Two discs in one run, each into the image file chosen for it.
    void eachBurnWritesTheFileChosenForIt()
    {
        if (!chooseDiscType(DiscType::Dvd))
            QSKIP("a DVD project needs 10 GiB free for its work files");
        const QStringList images{m_dir.filePath(QStringLiteral("out/holiday")),
                                 m_dir.filePath(QStringLiteral("out/second.iso"))};
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("out")));
        for (const QString &image : images) {
            if (image != images.first()) {
                m_wizard->show(); // opened again from the library
                QVERIFY(chooseDiscType(DiscType::Dvd));
            }
            RUN_CHECKED(addFiles({m_dir.filePath(QStringLiteral("first.mp4"))}));
            DiscSetupDialog *setup = pressBurn();
            QVERIFY(setup);
            QVERIFY(chooseInDialog(setup, image));
            QVERIFY(burnCompletes());
            QCOMPARE(TestSupport::dvdTitles(image), 1);
        }
        QCOMPARE(TestSupport::dvdTitles(images.first()), 1); // the first one left as it was
        QCOMPARE(QDir(m_dir.filePath(QStringLiteral("out"))).entryList(QDir::Files).size(), 2);
    }

    // The write ends well but the file holds no disc: no completion message.
    void completionOnlyWithAReadableImage()
    {
        const QString source = m_dir.filePath(QStringLiteral("source.iso"));
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray sector(2048, '\0');
        QByteArray descriptor = sector;
        descriptor[0] = 1;
        descriptor.replace(1, 5, "CD001");
        for (int i = 0; i < 32; ++i)
            file.write(i == 16 ? descriptor : sector);
        file.close();
        QString problem;
        const QString written = m_dir.filePath(QStringLiteral("written.iso"));
        QVERIFY(!LibburnDeviceController::verifyWrittenImage(written, {source}, &problem));
        QVERIFY2(problem.contains(QDir::toNativeSeparators(written)), qPrintable(problem));
        QVERIFY(QFile::copy(source, written));
        QVERIFY2(LibburnDeviceController::verifyWrittenImage(written, {source}, &problem),
                 qPrintable(problem));
        QVERIFY(QFile::resize(written, 20 * 2048)); // cut short
        QVERIFY(!LibburnDeviceController::verifyWrittenImage(written, {source}, &problem));
        QVERIFY(QFile::remove(written));
        QFile zeros(written); // the right size, no volume descriptor
        QVERIFY(zeros.open(QIODevice::WriteOnly));
        zeros.write(QByteArray(32 * 2048, '\0'));
        zeros.close();
        QVERIFY(!LibburnDeviceController::verifyWrittenImage(written, {source}, &problem));
    }

    void stoppingAfterAFailureClosesTheWindow()
    {
        if (!chooseDiscType(DiscType::Dvd))
            QSKIP("a DVD project needs 10 GiB free for its work files");
        RUN_CHECKED(addFiles({vanishing(), m_dir.filePath(QStringLiteral("first.mp4"))}));
        QVERIFY(QFile::remove(vanishing()));
        const QString work = project()->tempDirectory().absolutePath();
        QSignalSpy finished(m_wizard.get(), &BurnerWizard::burnFinished);
        DiscSetupDialog *setup = pressBurn();
        QVERIFY(setup);
        const QString image = m_dir.filePath(QStringLiteral("never.iso"));
        QVERIFY(writeInto(setup, image));

        RUN_CHECKED(answerFailure(QStringLiteral("Conversion Error"), QMessageBox::No));

        QTRY_VERIFY_WITH_TIMEOUT(!m_wizard->isVisible(), TestSupport::SlowWaitMs);
        QVERIFY(m_programWindow.isVisible());
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFileInfo::exists(work));
        QVERIFY(!QFileInfo::exists(image) || QFileInfo(image).size() == 0);
        QVERIFY(!m_wizard->burnStep()->isBusy());
    }

    void aFailedWriteClosesTheWindow()
    {
        if (!chooseDiscType(DiscType::Dvd))
            QSKIP("a DVD project needs 10 GiB free for its work files");
        RUN_CHECKED(addFiles({m_dir.filePath(QStringLiteral("first.mp4"))}));
        const QString work = project()->tempDirectory().absolutePath();
        QSignalSpy finished(m_wizard.get(), &BurnerWizard::burnFinished);
        DiscSetupDialog *setup = pressBurn();
        QVERIFY(setup);
        QDir gone(m_dir.filePath(QStringLiteral("unplugged")));
        QVERIFY(gone.mkpath(QStringLiteral(".")));
        QVERIFY(writeInto(setup, gone.filePath(QStringLiteral("disc.iso"))));
        QVERIFY(gone.removeRecursively()); // the recorder is gone before the write

        ZR::ErrorReportDialog *report = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((report = shown<ZR::ErrorReportDialog>(m_wizard.get())), 60000);
        QCOMPARE(report->windowTitle(), QStringLiteral("Discaveo encountered an error"));
        report->findChild<QPushButton *>(QStringLiteral("dontSendButton"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(!m_wizard->isVisible(), TestSupport::SlowWaitMs);
        QVERIFY(m_programWindow.isVisible());
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFileInfo::exists(work));
    }

    void everyTaskRowCanBeReached()
    {
        chooseDiscType(DiscType::Vcd);
        QStringList files;
        for (int i = 1; i <= 6; ++i) {
            files << m_dir.filePath(QStringLiteral("six-%1.mp4").arg(i));
            QVERIFY(QFileInfo::exists(files.last()) || QFile::copy(m_clip, files.last()));
        }
        RUN_CHECKED(addFiles(files));
        DiscSetupDialog *setup = pressBurn();
        QVERIFY(setup);
        QVERIFY(writeInto(setup, m_dir.filePath(QStringLiteral("six.iso"))));
        QListView *list = m_wizard->burnStep()->taskList();
        QAbstractItemModel *tasks = list->model();
        QCOMPARE(tasks->rowCount(), 7);    // a conversion per clip, the authoring
        QCoreApplication::processEvents(); // the page's layout

        const QRect viewport = list->viewport()->rect();
        QVERIFY(!viewport.contains(list->visualRect(tasks->index(6, 0)))); // they do not all fit
        QVERIFY(list->verticalScrollBar()->isVisible());
        for (int row = tasks->rowCount() - 1; row >= 0; --row) {
            list->scrollTo(tasks->index(row, 0));
            QVERIFY2(viewport.contains(list->visualRect(tasks->index(row, 0))),
                     qPrintable(QString::number(row)));
        }

        // Looking at the last rows while the first clip's conversion ends.
        list->scrollToBottom();
        QTRY_VERIFY_WITH_TIMEOUT(tasks->rowCount() < 7, 60000);
        QModelIndex running;
        for (int row = 0; row < tasks->rowCount() && !running.isValid(); ++row) {
            if (tasks->index(row, 0).data(BurnQueue::RunningRole).toBool())
                running = tasks->index(row, 0);
        }
        QVERIFY(running.isValid());
        QVERIFY(viewport.contains(list->visualRect(running)));
    }

    void theCompletionMessageKeepsItsLineTogether()
    {
        QSignalSpy finished(m_wizard.get(), &BurnerWizard::burnFinished);
        m_wizard->burnStep()->deviceCompleted();
        QMessageBox *done = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((done = shown<QMessageBox>(m_wizard.get())),
                                 TestSupport::SlowWaitMs);
        QVERIFY(QTest::qWaitForWindowExposed(done));
        QLabel *line = nullptr;
        for (QLabel *label : done->findChildren<QLabel *>()) {
            if (label->text() == done->informativeText())
                line = label;
        }
        QVERIFY(line);
        // On one line, not wrapped under the short heading.
        const int needed = line->fontMetrics().horizontalAdvance(done->informativeText());
        QVERIFY2(needed <= line->contentsRect().width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(needed).arg(line->width())));
        QVERIFY(done->width() >= 300);
        done->button(QMessageBox::Ok)->click();
        QCOMPARE(finished.count(), 1);
    }

    void everyControlHasAName_data()
    {
        QTest::addColumn<QString>("part");
        QTest::newRow("file page") << QStringLiteral("files");
        QTest::newRow("burn page") << QStringLiteral("burn");
        QTest::newRow("disc setup") << QStringLiteral("setup");
    }

    // What a screen reader announces for each control (and progress bar).
    void everyControlHasAName()
    {
        QFETCH(QString, part);
        std::unique_ptr<DiscSetupDialog> setup;
        QWidget *root = m_wizard->fileStep();
        if (part == QLatin1String("burn")) {
            root = m_wizard->burnStep();
        } else if (part == QLatin1String("setup")) {
            setup = std::make_unique<DiscSetupDialog>(m_wizard->burnStep()->controller());
            root = setup.get();
        }
        QStringList nameless;
        int controls = 0;
        for (QWidget *widget : root->findChildren<QWidget *>()) {
            if (widget->focusPolicy() == Qt::NoFocus && !qobject_cast<QProgressBar *>(widget))
                continue;
            ++controls;
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
            if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
                nameless << QLatin1String(widget->metaObject()->className()) + QLatin1Char(' ') +
                                widget->objectName();
        }
        QVERIFY(controls >= 2);
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(QStringLiteral(", "))));
    }

    // Files that are no videos, or cannot be read, are not added, and the
    // user is told their names.
    void filesThatAreNoVideosAreRefused()
    {
        const QString locked = m_dir.filePath(QStringLiteral("locked.mp4"));
        QVERIFY(QFile::copy(m_clip, locked));
        QVERIFY(QFile::setPermissions(locked, {}));
        const bool readable = QFileInfo(locked).isReadable(); // root reads anything
        const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
        QVERIFY(QFile::copy(m_broken, text));
        for (const QString &file :
             {m_broken, locked, text, m_dir.filePath(QStringLiteral("first.mp4"))})
            m_wizard->fileStep()->addFile(file);
        QMessageBox *box = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((box = m_wizard->fileStep()->findChild<QMessageBox *>(
                                      QStringLiteral("refusedFilesBox"))),
                                 60000);
        QVERIFY(box->text().contains(QStringLiteral("broken.avi")));
        QVERIFY(box->text().contains(QStringLiteral("notes.txt")));
        QCOMPARE(box->text().contains(QStringLiteral("locked.mp4")), !readable);
        QVERIFY(!box->text().contains(QStringLiteral("first.mp4")));
        QTRY_VERIFY_WITH_TIMEOUT(m_wizard->fileStep()->scansFinished(), TestSupport::SlowWaitMs);
        QCOMPARE(project()->clips().size(), readable ? 2 : 1);
        box->button(QMessageBox::Ok)->click();
    }

    void cancellingTheDiscSetupKeepsTheClips()
    {
        if (!chooseDiscType(DiscType::Dvd))
            QSKIP("a DVD project needs 10 GiB free for its work files");
        RUN_CHECKED(addFiles({m_dir.filePath(QStringLiteral("first.mp4")),
                              m_dir.filePath(QStringLiteral("second.mp4"))}));
        const QList<VideoClip> clips = project()->clips();
        DiscSetupDialog *setup = pressBurn();
        QVERIFY(setup);
        m_wizard->burnStep()->setReturnDelay(30);
        setup->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
        QCoreApplication::processEvents();
        QCOMPARE(m_wizard->currentId(), int(BurnerWizard::BurnPage)); // not at once
        QTRY_COMPARE_WITH_TIMEOUT(m_wizard->currentId(), int(BurnerWizard::FilePage),
                                  TestSupport::SlowWaitMs);
        QCOMPARE(project()->clips(), clips);
        QVERIFY(m_wizard->isVisible());
        QVERIFY(m_wizard->button(QWizard::NextButton)->isEnabled());
        QVERIFY(!m_wizard->burnStep()->isBusy());
    }
};

QTEST_MAIN(TestBurnerWizard)
#include "tst_burnerwizard.moc"
