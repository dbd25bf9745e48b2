// The frame strip: a row under the preview with one cell per frame of the
// current group, its thumbnail, its number (from 1) and its "Duration".
//
// Like the group browser it only shows and reports. The window tells it the
// frames (set_frames, from the document when no file operation runs) and
// routes what the user does: a click reports frame_chosen, which the window
// passes through its frame slider, so a choice is refused the same way; a
// drag past the start distance reports frame_moved with the gap it was
// dropped into; a duration typed into a cell's editor (double click or F2,
// Enter or leaving the field commits, Escape cancels) reports
// duration_edited. The keys that step through frames (arrows, Home, End)
// and Delete are the window's own shortcuts and work here as anywhere;
// Escape reports left, on which the window gives the preview the keyboard.
//
// Thumbnails are made when a cell is first painted and cached, never while
// a file operation holds the image library (an empty box until refresh()).
#pragma once

#include <QAbstractScrollArea>
#include <QPixmap>

#include <functional>
#include <string>
#include <vector>

#include "plugins/vorn_plugin.h"

class QLineEdit;

class FrameStripWidget : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit FrameStripWidget(QWidget *parent = nullptr);

    // Where pictures come from, and whether the library may be used now.
    void set_animation_source(std::function<const Animation *()> source) { animation_ = std::move(source); }
    void set_library_free(std::function<bool()> free) { library_free_ = std::move(free); }

    // The frames of `group`, as their duration texts, and the current one.
    // Another group or frame count drops the thumbnails and any open editor.
    void set_frames(int group, const std::vector<std::string> &durations, int current);
    // The pictures may have changed: thumbnails are made again.
    void document_changed();
    // Repaints cells left without a thumbnail while the library was busy.
    void refresh();
    // Opens the duration editor on the current frame.
    void edit_duration();

    int frame_count() const { return static_cast<int>(durations_.size()); }
    int current_frame() const { return current_; }
    // The cell's text as painted: "3  0.1" (number and duration).
    QString cell_text(int frame) const;
    QLineEdit *duration_editor() const { return editor_; }
    int thumbnails_made() const { return made_; }

signals:
    void frame_chosen(int frame);
    void frame_moved(int from, int slot);
    void duration_edited(int frame, const QString &text);
    void left();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int scroll() const;
    void update_scroll_range();
    void show_current();
    QPixmap thumbnail(int frame);
    void open_editor(int frame);
    void close_editor(bool commit);

    std::function<const Animation *()> animation_;
    std::function<bool()> library_free_;
    int group_ = -1;
    std::vector<std::string> durations_;
    int current_ = -1;
    std::vector<QPixmap> thumbnails_; // by frame; null: not made yet
    bool pending_ = false;
    int made_ = 0;
    // A press on a cell, and the gap it would be dropped into once moved
    // past the start distance (-1: no drag).
    int press_frame_ = -1;
    QPoint press_at_;
    int drop_slot_ = -1;
    QLineEdit *editor_ = nullptr;
    int editing_ = -1; // the frame the editor is open on
};
