#include "views/property_editor_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "document/props.h"

namespace {

QString qt_text(const std::string &text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string std_text(const QString &text) { return text.toUtf8().toStdString(); }

QStringList qt_list(const std::vector<std::string> &items)
{
    QStringList list;
    for (const std::string &item : items)
        list << qt_text(item);
    return list;
}

} // namespace

PropertyEditorDialog::PropertyEditorDialog(PropertyList *list, const std::string &title, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("111"));
    setWindowTitle(qt_text(title));

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("1044"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);

    value_ = new QComboBox(this);
    value_->setObjectName(QStringLiteral("1041"));
    value_->setEditable(true);
    value_->setInsertPolicy(QComboBox::NoInsert);
    value_->lineEdit()->setMaxLength(static_cast<int>(PROPERTY_TEXT_LIMIT));
    value_->setMinimumWidth(150);
    value_->setMaxVisibleItems(15);

    advanced_ = new QCheckBox(QStringLiteral("Advanced Edit"), this);
    advanced_->setObjectName(QStringLiteral("1039"));

    advanced_box_ = new QGroupBox(QStringLiteral("Advanced"), this);
    advanced_box_->setObjectName(QStringLiteral("1042"));
    name_ = new QLineEdit(advanced_box_);
    name_->setObjectName(QStringLiteral("1037"));
    name_->setMaxLength(static_cast<int>(PROPERTY_TEXT_LIMIT));
    type_ = new QComboBox(advanced_box_);
    type_->setObjectName(QStringLiteral("1040"));
    type_->addItems(qt_list(property_type_names()));
    type_->setMinimumWidth(150);
    add_ = new QPushButton(QStringLiteral("Add"), advanced_box_);
    add_->setObjectName(QStringLiteral("3"));
    remove_ = new QPushButton(QStringLiteral("Remove"), advanced_box_);
    remove_->setObjectName(QStringLiteral("4"));

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("1"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("2"));

    auto *box_layout = new QGridLayout(advanced_box_);
    box_layout->addWidget(name_, 0, 0, 1, 2);
    box_layout->addWidget(type_, 1, 0, 1, 2);
    box_layout->addWidget(add_, 2, 0);
    box_layout->addWidget(remove_, 2, 1);

    auto *right = new QVBoxLayout;
    right->addWidget(value_);
    right->addWidget(advanced_);
    right->addWidget(advanced_box_);
    right->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);

    auto *left = new QVBoxLayout;
    left->addWidget(list_, 1);
    left->addLayout(buttons);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);

    // The keyboard walks the controls in the dialog's own order.
    setTabOrder(list_, value_);
    setTabOrder(value_, advanced_);
    setTabOrder(advanced_, name_);
    setTabOrder(name_, type_);
    setTabOrder(type_, add_);
    setTabOrder(add_, remove_);
    setTabOrder(remove_, ok_);
    setTabOrder(ok_, cancel_);

    property_editor_open(editor_, list);
    set_advanced_enabled(false);
    show_fields();

    connect(list_, &QListWidget::currentRowChanged, this, [this] {
        read_fields();
        property_editor_sync(editor_);
        show_fields();
    });
    connect(advanced_, &QCheckBox::toggled, this, [this](bool on) { set_advanced_enabled(on); });
    connect(add_, &QPushButton::clicked, this, [this] {
        read_fields();
        property_editor_add(editor_);
        show_fields();
        activateWindow(); // back from the refusal's message box
    });
    connect(remove_, &QPushButton::clicked, this, [this] {
        read_fields();
        property_editor_remove(editor_);
        show_fields();
        activateWindow(); // back from the question
    });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void PropertyEditorDialog::set_advanced_enabled(bool on)
{
    editor_.fields.advanced = on;
    advanced_box_->setEnabled(on);
    for (QWidget *w : {static_cast<QWidget *>(name_), static_cast<QWidget *>(type_), static_cast<QWidget *>(add_),
                       static_cast<QWidget *>(remove_)})
        w->setEnabled(on);
}

void PropertyEditorDialog::read_fields()
{
    PropertyEditorFields &f = editor_.fields;
    f.selected = list_->currentRow();
    // No item is selected once the text is no longer one of them.
    property_editor_type_value(editor_, std_text(value_->currentText()));
    f.name_text = std_text(name_->text());
    f.type_index = type_->currentIndex();
    f.advanced = advanced_->isChecked();
}

void PropertyEditorDialog::show_fields()
{
    const PropertyEditorFields &f = editor_.fields;
    {
        const QSignalBlocker block(list_);
        const QStringList names = qt_list(f.names);
        bool same = list_->count() == names.size();
        for (int i = 0; same && i < names.size(); ++i)
            same = list_->item(i)->text() == names[i];
        if (!same) {
            list_->clear();
            list_->addItems(names);
        }
        list_->setCurrentRow(f.selected);
    }
    {
        const QSignalBlocker block(value_);
        value_->clear();
        value_->addItems(qt_list(f.value_items));
        value_->setCurrentIndex(f.value_item);
        value_->setEditText(qt_text(f.value_text));
    }
    name_->setText(qt_text(f.name_text));
    {
        const QSignalBlocker block(type_);
        type_->setCurrentIndex(f.type_index);
    }
}

void PropertyEditorDialog::accept()
{
    read_fields();
    property_editor_sync(editor_);
    QDialog::accept();
}

void PropertyEditorDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Without a window manager nothing else gives the dialog the keyboard.
    activateWindow();
    raise();
    list_->setFocus(Qt::OtherFocusReason);
}

void show_property_editor(PropertyList *list, const std::string &title, QWidget *owner)
{
    // Cancel, Escape and the close box take back everything done here,
    // the records added or removed and the values moved away from too.
    PropertyList opened{};
    props_copy(list, &opened);
    {
        PropertyEditorDialog dialog(list, title, owner);
        if (dialog.exec() != QDialog::Accepted && !property_lists_same(*list, opened))
            props_copy(&opened, list);
    }
    props_clear(&opened);
    if (owner) {
        owner->activateWindow();
        owner->raise();
    }
}
