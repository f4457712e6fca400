// The disc setup dialog on libburn with image-file recorders.
#include "Screenshots.h"
#include "burner/LibburnDeviceController.h"
#include "burner/Project.h"
#include "gui/burner/DiscSetupDialog.h"
#include "gui/burner/RecorderComboBox.h"

#include <QStyleOptionComboBox>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestDiscSetupDialog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void waitsForAWritableDisc_data()
    {
        QTest::addColumn<QString>("image"); // empty: no recorder at all
        QTest::addColumn<QString>("status");

        QTest::newRow("new image file")
            << QStringLiteral("new.iso") << QStringLiteral("Ready to burn.");
        QTest::newRow("no recorder")
            << QString() << QStringLiteral("Waiting for a disc to be inserted...");
    }

    void waitsForAWritableDisc()
    {
        QFETCH(QString, image);
        QFETCH(QString, status);
        Project project;
        LibburnDeviceController controller(&project);
        controller.setHardwareScan(false);
        if (!image.isEmpty())
            controller.addPseudoDrive(QStringLiteral("stdio:") + m_dir.filePath(image));

        DiscSetupDialog dialog(&controller);
        dialog.setPollInterval(10);
        dialog.show();
        auto *label = dialog.findChild<QLabel *>(QStringLiteral("status"));
        auto *burn = dialog.findChild<QPushButton *>(QStringLiteral("burnButton"));
        QTimer *poll = nullptr;
        for (QTimer *timer : dialog.findChildren<QTimer *>(Qt::FindDirectChildrenOnly)) {
            if (timer->interval() == 10)
                poll = timer;
        }
        QVERIFY(poll);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), status, 20000);
        const bool ready = status == QLatin1String("Ready to burn.");
        if (ready) {
            QVERIFY(!poll->isActive()); // nothing left to wait for
        } else {
            // A few more polls change nothing.
            QSignalSpy polls(poll, &QTimer::timeout);
            QTRY_VERIFY_WITH_TIMEOUT(polls.size() >= 3, 20000);
        }
        QCOMPARE(label->text(), status);
        QCOMPARE(burn->isEnabled(), ready);
        if (!ready)
            return;

        const QString recorder =
            dialog.findChild<QComboBox *>(QStringLiteral("recorders"))->currentData().toString();
        QVERIFY(!recorder.isEmpty());
        burn->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(controller.recorderName(), recorder);
        const QStringList speeds = controller.writeSpeeds(recorder);
        QCOMPARE(controller.writeSpeed(), speeds.isEmpty() ? QStringLiteral("0") : speeds.last());

        dialog.findChild<QPushButton *>(QStringLiteral("ejectButton"))->click();
        QVERIFY(!burn->isEnabled());
        QCOMPARE(label->text(), QStringLiteral("Waiting for a disc to be inserted..."));
    }

    void imageFileBecomesTheRecorder()
    {
        Project project;
        LibburnDeviceController controller(&project);
        controller.setHardwareScan(false);
        DiscSetupDialog dialog(&controller);
        dialog.setPollInterval(10);
        dialog.show();
        auto *recorders = dialog.findChild<QComboBox *>(QStringLiteral("recorders"));
        QCOMPARE(recorders->count(), 0);
        QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("imageFileButton"))->isVisible());

        const QString first = m_dir.filePath(QStringLiteral("first.iso"));
        const QString second = m_dir.filePath(QStringLiteral("second.iso"));
        QVERIFY(dialog.addImageFile(first));
        QVERIFY(dialog.addImageFile(second));
        QCOMPARE(recorders->count(), 2);
        // Shown by its path, whole in the tooltip; known by its recorder name.
        QCOMPARE(recorders->currentText(), second);
        QCOMPARE(recorders->toolTip(), second);
        QCOMPARE(recorders->currentData().toString(), QStringLiteral("stdio:") + second);
        QTRY_COMPARE_WITH_TIMEOUT(dialog.findChild<QLabel *>(QStringLiteral("status"))->text(),
                                  QStringLiteral("Ready to burn."), 20000);
        dialog.findChild<QPushButton *>(QStringLiteral("burnButton"))->click();
        QCOMPARE(controller.recorderName(), QStringLiteral("stdio:") + second);
    }

    // A long image path is shortened within the room left of the arrow:
    // nothing of it is drawn where the arrow is.
    void longPathStaysLeftOfTheArrow_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("narrow") << 180;
        QTest::newRow("wide") << 420;
    }

    void longPathStaysLeftOfTheArrow()
    {
        QFETCH(int, width);
        RecorderComboBox box;
        const QString path = QStringLiteral("/home/someone/Videos/Holidays/2026/Summer at the "
                                            "Seaside with Everybody/final disc image.iso");
        box.setRecorders({QStringLiteral("stdio:") + path});
        box.resize(width, box.sizeHint().height());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QImage withText = box.grab().toImage();
        box.setItemText(0, QString());
        const QImage without = box.grab().toImage();
        box.setItemText(0, path);
        QCOMPARE(withText.size(), without.size());

        QStyleOptionComboBox option;
        option.initFrom(&box);
        option.subControls = QStyle::SC_All;
        const QRect field = box.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                        QStyle::SC_ComboBoxEditField, &box);
        const qreal ratio = withText.devicePixelRatio();
        int drawn = 0;
        for (int y = 0; y < withText.height(); ++y) {
            for (int x = 0; x < withText.width(); ++x) {
                if (withText.pixel(x, y) == without.pixel(x, y))
                    continue;
                ++drawn;
                const QPoint at(qFloor(x / ratio), qFloor(y / ratio));
                QVERIFY2(at.x() <= field.right(),
                         qPrintable(QStringLiteral("text at x=%1, the field ends at %2")
                                        .arg(at.x())
                                        .arg(field.right())));
            }
        }
        QVERIFY(drawn > 0); // something of the path is shown
        Screenshots::keep(withText, QStringLiteral("recorder-%1").arg(width));
    }

    void cancelIsNoSetup()
    {
        Project project;
        LibburnDeviceController controller(&project);
        controller.setHardwareScan(false);
        controller.addPseudoDrive(QStringLiteral("stdio:") + m_dir.filePath("cancel.iso"));
        controller.setDiscSetup(DiscSetupDialog::discSetup(nullptr));
        QTimer::singleShot(50, this, [] {
            auto *dialog = qobject_cast<DiscSetupDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
        });
        QVERIFY(!controller.setupDisc());
        QVERIFY(controller.recorderName().isEmpty());
    }
};

QTEST_MAIN(TestDiscSetupDialog)
#include "tst_discsetupdialog.moc"
