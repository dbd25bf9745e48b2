#include "views/match_palette_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include <string>
#include <vector>

#include "image/host_table.h"
#include "platform/platform.h"
#include "views/qt_image.h"

namespace {

constexpr int PREVIEW_SIDE = 192;

} // namespace

MatchPaletteDialog::MatchPaletteDialog(uint32_t frame, const MatchPaletteChoice &choice, QWidget *parent)
    : QDialog(parent), frame_(frame)
{
    setWindowTitle(QStringLiteral("Match to Palette"));
    setObjectName(QStringLiteral("match_palette_dialog"));
    source_ = new QComboBox(this);
    source_->addItems({QStringLiteral("Quake palette (palette.lmp beside Vorn)"), QStringLiteral("The frame's own"),
                       QStringLiteral("A palette file")});
    source_->setCurrentIndex(static_cast<int>(choice.source));
    file_ = new QLineEdit(QString::fromStdString(choice.file), this);
    auto *browse = new QPushButton(QStringLiteral("&Browse..."), this);
    auto *file_row = new QHBoxLayout;
    file_row->addWidget(file_);
    file_row->addWidget(browse);
    fullbrights_ = new QCheckBox(QStringLiteral("Allow &fullbrights"), this);
    fullbrights_->setChecked(choice.fullbrights);
    dither_ = new QComboBox(this);
    dither_->addItems({QStringLiteral("None"), QStringLiteral("Floyd-Steinberg")});
    dither_->setCurrentIndex(choice.dither ? 1 : 0);
    strength_ = new QSpinBox(this);
    strength_->setRange(1, 100);
    strength_->setSuffix(QStringLiteral(" %"));
    strength_->setValue(choice.strength < 1 ? 1 : choice.strength > 100 ? 100 : choice.strength);
    source_->setObjectName(QStringLiteral("palette_source"));
    fullbrights_->setObjectName(QStringLiteral("allow_fullbrights"));
    dither_->setObjectName(QStringLiteral("dithering"));
    strength_->setObjectName(QStringLiteral("strength"));
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setMinimumSize(PREVIEW_SIDE, PREVIEW_SIDE);
    preview_->setAlignment(Qt::AlignCenter);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("fullbright_count"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Palette:"), source_);
    form->addRow(QStringLiteral("File:"), file_row);
    form->addRow(QString(), fullbrights_);
    form->addRow(QStringLiteral("&Dithering:"), dither_);
    form->addRow(QStringLiteral("&Strength:"), strength_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(preview_);
    layout->addWidget(count_);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Palette"), file_->text());
        if (path.isEmpty())
            return;
        file_->setText(path);
        source_->setCurrentIndex(static_cast<int>(MatchPaletteSource::File));
        update_preview();
    });
    connect(source_, &QComboBox::currentIndexChanged, this, [this] { update_preview(); });
    connect(file_, &QLineEdit::editingFinished, this, [this] { update_preview(); });
    connect(fullbrights_, &QCheckBox::toggled, this, [this] { update_preview(); });
    connect(dither_, &QComboBox::currentIndexChanged, this, [this] { update_preview(); });
    connect(strength_, &QSpinBox::valueChanged, this, [this] { update_preview(); });
    update_preview();
}

MatchPaletteChoice MatchPaletteDialog::choice() const
{
    MatchPaletteChoice c;
    c.source = static_cast<MatchPaletteSource>(source_->currentIndex());
    c.file = file_->text().toStdString();
    c.fullbrights = fullbrights_->isChecked();
    c.dither = dither_->currentIndex() == 1;
    c.strength = strength_->value();
    return c;
}

void MatchPaletteDialog::update_preview()
{
    strength_->setEnabled(dither_->currentIndex() == 1);
    const MatchPaletteChoice c = choice();
    std::vector<uint8_t> palette;
    std::string error;
    if (!match_palette_entries(c, frame_, palette, error)) {
        preview_->setPixmap(QPixmap());
        preview_->setText(QString::fromStdString(error));
        count_->clear();
        return;
    }
    const uint32_t copy = host().gen_image();
    host().bind_image(copy);
    host().copy_image(frame_);
    const size_t fullbrights = match_palette_apply(c, palette);
    const QImage matched = qimage_from_bound_image();
    host().delete_image(copy);
    host().bind_image(frame_);
    QPixmap shown = QPixmap::fromImage(matched);
    if (!shown.isNull() && (shown.width() > PREVIEW_SIDE || shown.height() > PREVIEW_SIDE))
        shown = shown.scaled(PREVIEW_SIDE, PREVIEW_SIDE, Qt::KeepAspectRatio, Qt::FastTransformation);
    else if (!shown.isNull())
        shown = shown.scaled(shown.size() * (PREVIEW_SIDE / std::max(shown.width(), shown.height())),
                             Qt::KeepAspectRatio, Qt::FastTransformation);
    preview_->setPixmap(shown);
    count_->setText(QString::fromStdString(format_text("%zu fullbright pixel%s", fullbrights, fullbrights == 1 ? "" : "s")));
}

bool show_match_palette_dialog(uint32_t frame, MatchPaletteChoice &choice, QWidget *owner)
{
    MatchPaletteDialog dialog(frame, choice, owner);
    const bool ok = dialog.exec() == QDialog::Accepted;
    choice = dialog.choice();
    return ok;
}
