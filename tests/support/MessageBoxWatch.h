#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

// Dismisses every message box the program shows, noting what it said.
struct MessageBoxWatch {
    QStringList seen;
    QTimer timer;

    MessageBoxWatch()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            const bool plain = box->windowTitle() == "Pellmark" && box->icon() == QMessageBox::NoIcon &&
                               box->buttons().size() == 1 && box->standardButtons() == QMessageBox::Ok &&
                               box->button(QMessageBox::Ok)->icon().isNull();
            seen << (plain ? box->text() : "unexpected box: " + box->text());
            box->button(QMessageBox::Ok)->click();
        });
        timer.start(20);
    }
};
