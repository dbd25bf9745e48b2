#include "views/game_lighting_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

bool ask_game_lighting(GameLighting &lighting, QWidget *owner)
{
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("game_lighting"));
    dialog.setWindowTitle(QStringLiteral("Game Lighting"));
    auto *show = new QCheckBox(QStringLiteral("&Show the frame in the game's light"), &dialog);
    show->setChecked(lighting.on);
    auto *level_label = new QLabel(QStringLiteral("Light &level (0 brightest, 63 dark; 32 a normally lit wall):"), &dialog);
    auto *slider = new QSlider(Qt::Horizontal, &dialog);
    slider->setRange(0, 63);
    auto *level = new QSpinBox(&dialog);
    level->setObjectName(QStringLiteral("light_level"));
    level->setRange(0, 63);
    level->setValue(lighting.level);
    slider->setValue(lighting.level);
    level_label->setBuddy(level);
    QObject::connect(slider, &QSlider::valueChanged, level, &QSpinBox::setValue);
    QObject::connect(level, &QSpinBox::valueChanged, slider, &QSlider::setValue);
    auto *generated = new QRadioButton(QStringLiteral("Colormap &made from the frame's palette"), &dialog);
    auto *from_file = new QRadioButton(QStringLiteral("Colormap &file:"), &dialog);
    auto *file = new QLineEdit(QString::fromStdString(lighting.colormap_file), &dialog);
    auto *browse = new QPushButton(QStringLiteral("&Browse..."), &dialog);
    (lighting.colormap_file.empty() ? generated : from_file)->setChecked(true);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        const QString chosen = QFileDialog::getOpenFileName(&dialog, QStringLiteral("Colormap"), file->text(),
                                                            QStringLiteral("Colormap (colormap.lmp *.lmp);;All files (*)"));
        if (!chosen.isEmpty()) {
            file->setText(chosen);
            from_file->setChecked(true);
        }
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto *layout = new QGridLayout(&dialog);
    layout->addWidget(show, 0, 0, 1, 3);
    layout->addWidget(level_label, 1, 0, 1, 3);
    layout->addWidget(slider, 2, 0, 1, 2);
    layout->addWidget(level, 2, 2);
    layout->addWidget(generated, 3, 0, 1, 3);
    layout->addWidget(from_file, 4, 0);
    layout->addWidget(file, 4, 1);
    layout->addWidget(browse, 4, 2);
    layout->addWidget(buttons, 5, 0, 1, 3);
    show->setFocus(Qt::OtherFocusReason);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    lighting.on = show->isChecked();
    lighting.level = level->value();
    lighting.colormap_file = from_file->isChecked() ? file->text().toStdString() : std::string();
    return true;
}
