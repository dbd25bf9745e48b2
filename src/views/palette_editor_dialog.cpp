#include "views/palette_editor_dialog.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

#include "views/logic/palette_editor_logic.h"
#include "views/palette_grid_widget.h"

namespace {

QString qt_text(const std::string &text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

PaletteEditorDialog::PaletteEditorDialog(const PaletteEditorOptions &options, QWidget *parent)
    : QDialog(parent), options_(options)
{
    setObjectName(QStringLiteral("135"));
    setWindowTitle(QStringLiteral("Palette Editor"));

    auto *menu_bar = new QMenuBar(this);
    menu_bar->setObjectName(QStringLiteral("143"));
    struct Item {
        const char *menu;
        int id;
        const char *text;
        bool checkable;
    };
    const Item items[] = {
        {"&File", IDC_PALETTE_LOAD, "&Load...", false},
        {"&File", IDC_PALETTE_SAVE, "&Save...", false},
        {"&Tools", IDM_PALETTE_GENERATE_COLORMAP, "&Generate Colormap...", false},
        {"&Options", IDM_PALETTE_MAINTAIN_INDEXES, "&Maintain Indexes", true},
        {"&Options", IDM_PALETTE_APPLY_ALL_FRAMES, "&Apply Palette To All Frames", true},
        {"&Advanced", IDM_PALETTE_ADD_COLOR, "Add Color", false},
        {"&Advanced", IDM_PALETTE_DELETE_COLOR, "Delete Color", false},
        {"&Advanced", IDM_PALETTE_CHANGE_ALPHA, "Change Alpha", true},
    };
    QMenu *menu = nullptr;
    QString menu_text;
    for (const Item &item : items) {
        if (!menu || menu_text != QLatin1String(item.menu)) {
            menu_text = QLatin1String(item.menu);
            menu = menu_bar->addMenu(menu_text);
            menu->setObjectName(QString(menu_text).remove('&'));
        }
        auto *action = new QAction(QString::fromLatin1(item.text), this);
        action->setObjectName(QString::number(item.id));
        action->setCheckable(item.checkable);
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { command(id); });
        menu->addAction(action);
        actions_ << action;
    }
    // The check marks as the options stand.
    menu_action(IDM_PALETTE_APPLY_ALL_FRAMES)->setChecked(*options_.all_frames != 0);
    menu_action(IDM_PALETTE_MAINTAIN_INDEXES)->setChecked(*options_.maintain_indexes != 0);
    menu_action(IDM_PALETTE_CHANGE_ALPHA)->setChecked(palette_change_alpha);

    palette_editor_open(grid_);
    opened_ = grid_;

    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    grid_widget_ = new PaletteGridWidget(&grid_, frame);
    grid_widget_->setObjectName(QString::number(IDC_PALETTE_GRID));
    auto *frame_layout = new QVBoxLayout(frame);
    frame_layout->setContentsMargins(8, 8, 8, 8);
    frame_layout->addWidget(grid_widget_);

    index_label_ = new QLabel(this);
    index_label_->setObjectName(QString::number(IDC_PALETTE_INDEX_LABEL));
    color_label_ = new QLabel(this);
    color_label_->setObjectName(QString::number(IDC_PALETTE_COLOR_LABEL));
    color_label_->setMinimumWidth(160);

    auto button = [this](int id, const char *text) {
        auto *b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::number(id));
        connect(b, &QPushButton::clicked, this, [this, id] { command(id); });
        return b;
    };
    ok_ = button(IDC_PALETTE_OK, "OK");
    ok_->setDefault(true);
    cancel_ = button(IDC_PALETTE_CANCEL, "Cancel");
    load_ = button(IDC_PALETTE_LOAD, "Load");
    save_ = button(IDC_PALETTE_SAVE, "Save");

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addSpacing(6);
    buttons->addWidget(load_);
    buttons->addWidget(save_);
    buttons->addStretch(1);

    auto *labels = new QHBoxLayout;
    labels->addWidget(index_label_);
    labels->addStretch(1);
    labels->addWidget(color_label_);

    auto *layout = new QGridLayout(this);
    layout->setMenuBar(menu_bar);
    layout->addWidget(frame, 0, 0);
    layout->addLayout(buttons, 0, 1);
    layout->addLayout(labels, 1, 0, 1, 2);

    setTabOrder(grid_widget_, ok_);
    setTabOrder(ok_, cancel_);
    setTabOrder(cancel_, load_);
    setTabOrder(load_, save_);

    connect(grid_widget_, &PaletteGridWidget::selection_changed, this, &PaletteEditorDialog::refresh);
    connect(grid_widget_, &PaletteGridWidget::edit_requested, this, [this](int index) {
        palette_editor_edit_entry(grid_, index, options_.custom_colors);
        refresh();
        take_keyboard();
    });
    refresh();
}

QAction *PaletteEditorDialog::menu_action(int id) const
{
    for (QAction *action : actions_)
        if (action->objectName() == QString::number(id))
            return action;
    return nullptr;
}

void PaletteEditorDialog::refresh()
{
    index_label_->setText(qt_text(palette_index_label(grid_)));
    color_label_->setText(qt_text(palette_color_label(grid_)));
    grid_widget_->update();
}

void PaletteEditorDialog::take_keyboard()
{
    activateWindow();
    raise();
}

void PaletteEditorDialog::command(int id)
{
    switch (id) {
    case IDC_PALETTE_OK: accept(); return;
    case IDC_PALETTE_CANCEL: reject(); return;
    case IDC_PALETTE_LOAD: palette_editor_load(grid_); break;
    case IDC_PALETTE_SAVE: palette_editor_save(grid_); break;
    case IDM_PALETTE_GENERATE_COLORMAP: palette_editor_generate_colormap(grid_.colors); break;
    case IDM_PALETTE_MAINTAIN_INDEXES:
        *options_.maintain_indexes = *options_.maintain_indexes ? 0 : 1;
        menu_action(id)->setChecked(*options_.maintain_indexes != 0);
        return;
    case IDM_PALETTE_APPLY_ALL_FRAMES:
        *options_.all_frames = *options_.all_frames ? 0 : 1;
        menu_action(id)->setChecked(*options_.all_frames != 0);
        return;
    case IDM_PALETTE_ADD_COLOR: palette_grid_add(grid_); break;
    case IDM_PALETTE_DELETE_COLOR: palette_grid_delete(grid_); break;
    case IDM_PALETTE_CHANGE_ALPHA:
        palette_change_alpha = !palette_change_alpha;
        menu_action(id)->setChecked(palette_change_alpha);
        return;
    default: return;
    }
    refresh();
    take_keyboard();
}

void PaletteEditorDialog::accept()
{
    // The options as they stand when OK is pressed. The current frame's
    // own palette given back to it with its indexes kept changes nothing:
    // no undo step then, and no modified mark.
    const bool maintain = *options_.maintain_indexes != 0;
    const bool all_frames = *options_.all_frames != 0;
    const bool unchanged = grid_.count == opened_.count &&
                           std::memcmp(grid_.colors, opened_.colors, static_cast<size_t>(grid_.count) * 4) == 0;
    if (!(unchanged && maintain && !all_frames))
        palette_editor_apply(grid_, maintain, all_frames);
    QDialog::accept();
}

void PaletteEditorDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Without a window manager nothing else gives the dialog the keyboard.
    activateWindow();
    raise();
    grid_widget_->setFocus(Qt::OtherFocusReason);
}

void show_palette_editor(QWidget *owner, const PaletteEditorOptions &options)
{
    PaletteEditorDialog dialog(options, owner);
    dialog.exec();
    if (owner) {
        owner->activateWindow();
        owner->raise();
    }
}
