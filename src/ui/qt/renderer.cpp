#include "ui/qt/renderer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/qt/picture_widget.h"

namespace quorin::ui::qt {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }
QColor to_qcolor(Colour c) { return QColor(c.r, c.g, c.b); }

Qt::Alignment to_alignment(Align align) {
  switch (align) {
    case Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case Align::Center: return Qt::AlignHCenter | Qt::AlignVCenter;
    case Align::Left: break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

int shift_state(Qt::KeyboardModifiers modifiers) {
  int shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= 1;
  if (modifiers & Qt::ControlModifier) shift |= 2;
  if (modifiers & Qt::AltModifier) shift |= 4;
  return shift;
}

// The window system's virtual key code of a Qt key.
int virtual_key(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return Key_Return;
    case Qt::Key_Up: return Key_Up;
    case Qt::Key_Down: return Key_Down;
    case Qt::Key_Left: return Key_Left;
    case Qt::Key_Right: return Key_Right;
    case Qt::Key_Backspace: return Key_Back;
    case Qt::Key_Tab: return Key_Tab;
    case Qt::Key_Escape: return Key_Escape;
    case Qt::Key_Delete: return Key_Delete;
    case Qt::Key_Shift: return Key_Shift;
    case Qt::Key_Period: return 190;
    case Qt::Key_Minus: return 189;
    default: break;
  }
  const int key = event.key();
  if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) return key;
  return static_cast<int>(event.nativeVirtualKey() != 0 ? event.nativeVirtualKey() : (key & 0xff));
}

QFont control_font(const Control& control) {
  QFont font = QApplication::font();
  font.setPointSizeF(control.font_size);
  return font;
}

// The window's size on the screen it opens on: the form's, or less where the screen's free
// area (less room for the window's frame) is smaller, the scroll bars then added.
QSize fitted_size(QSize wanted) {
  constexpr int Frame_Room = 40;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return wanted;
  const QSize room = screen->availableGeometry().size() - QSize(Frame_Room / 2, Frame_Room);
  if (wanted.width() <= room.width() && wanted.height() <= room.height()) return wanted;
  const int bar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return QSize(std::min(wanted.width() + bar, room.width()), std::min(wanted.height() + bar, room.height()));
}

// Moves a window whose frame runs past the screen's free area back inside it.
void keep_on_screen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect room = screen->availableGeometry();
  const QRect frame = window.frameGeometry();
  if (room.contains(frame)) return;
  const int x = std::clamp(frame.left(), room.left(), std::max(room.left(), room.right() - frame.width() + 1));
  const int y = std::clamp(frame.top(), room.top(), std::max(room.top(), room.bottom() - frame.height() + 1));
  window.move(window.pos() + QPoint(x - frame.left(), y - frame.top()));
}

// Moves a window that opened over the button pressed to open it, so that the button stays in
// view: against the screen's right edge, else beside the button, else below or above it.
void keep_clear_of(QWidget& window, const QRect& pressed) {
  const QScreen* screen = window.screen();
  const QRect frame = window.frameGeometry();
  if (screen == nullptr || pressed.isEmpty() || !frame.intersects(pressed)) return;
  const QRect room = screen->availableGeometry();
  constexpr int Gap = 8;
  const QPoint places[] = {{room.right() - frame.width() + 1, frame.top()},
                           {pressed.right() + Gap, frame.top()},
                           {pressed.left() - Gap - frame.width(), frame.top()},
                           {frame.left(), pressed.bottom() + Gap},
                           {frame.left(), pressed.top() - Gap - frame.height()}};
  for (QPoint place : places) {
    place.setX(std::clamp(place.x(), room.left(), std::max(room.left(), room.right() - frame.width() + 1)));
    place.setY(std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() - frame.height() + 1)));
    if (QRect(place, frame.size()).intersects(pressed)) continue;
    window.move(window.pos() + place - frame.topLeft());
    return;
  }
}

}  // namespace

// One form's window and the widgets of its controls.
class Form_Window : public QWidget {
 public:
  Form_Window(Form& form, Renderer& renderer) : form(form), renderer_(renderer) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    if (form.close_control == nullptr)
      setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
    // The controls stand on a client of the form's size inside a scroll area: on a screen too
    // small for the form the window keeps to the screen and scrolls.
    client = new QWidget;
    client->setFixedSize(to_pixels(form.client_width), to_pixels(form.client_height));
    auto* area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(client);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    setMaximumSize(client->size());
    resize(fitted_size(client->size()));
  }
  Form& form;
  QWidget* client = nullptr;  // the parent of the form's controls
  QRect opened_by;            // the button pressed to open it, on the screen; empty for none
  std::map<const Control*, QWidget*> widgets;
  std::map<const Control*, QTimer*> timers;
  std::map<const Control*, unsigned> grid_versions;

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();  // the form's close control decides, and closes the form when it should
    renderer_.dispatch([this] { form.close_box_clicked(); });
  }

 private:
  Renderer& renderer_;
};

Renderer::Renderer(Desktop& desktop, std::function<void()> after_event)
    : desktop_(desktop), after_event_(std::move(after_event)) {
  desktop_.set_observer(this);
}

Renderer::~Renderer() { desktop_.set_observer(nullptr); }

void Renderer::dispatch(const std::function<void()>& slot) {
  if (!slot) return;
  {
    Desktop::Event_Scope scope(desktop_);
    ++depth_;
    slot();
    --depth_;
  }
  sync();
  if (depth_ == 0 && after_event_) after_event_();
}

QWidget* Renderer::window_of(const Form& form) const {
  auto it = windows_.find(&form);
  return it == windows_.end() ? nullptr : it->second.get();
}

QWidget* Renderer::widget_of(const Control& control) const {
  QWidget* window = window_of(*control.form);
  if (window == nullptr) return nullptr;
  auto& widgets = static_cast<Form_Window*>(window)->widgets;
  auto it = widgets.find(&control);
  return it == widgets.end() ? nullptr : it->second;
}

QWidget* Renderer::make_label(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  return label;
}

QWidget* Renderer::make_text_box(Text_Box& box, QWidget* parent) {
  if (box.multi_line) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setVerticalScrollBarPolicy(box.vertical_scroll ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, &box] {
      if (edit->signalsBlocked()) return;
      dispatch([&box, edit] { box.set_text(edit->toPlainText().toStdString()); });
    });
    return edit;
  }
  auto* edit = new QLineEdit(parent);
  connect(edit, &QLineEdit::textEdited, this, [this, edit, &box](const QString& text) {
    dispatch([&box, edit, text] {
      box.caret = edit->cursorPosition();
      box.set_text(text.toStdString());
    });
  });
  return edit;
}

QWidget* Renderer::make_command_button(Control& control, QWidget* parent) {
  auto* button = new QPushButton(parent);
  connect(button, &QPushButton::clicked, this, [this, &control, button] { press(*button, control.on_click); });
  return button;
}

void Renderer::press(QWidget& button, const std::function<void()>& slot) {
  pressed_ = QRect(button.mapToGlobal(QPoint(0, 0)), button.size());
  dispatch(slot);
  pressed_ = QRect();
}

QWidget* Renderer::make_option_button(Option_Button& option, QWidget* parent) {
  auto* radio = new QRadioButton(parent);
  radio->setAutoExclusive(false);
  connect(radio, &QRadioButton::clicked, this, [this, &option] {
    dispatch([&option] {
      option.select();
      if (option.on_click) option.on_click();
    });
  });
  return radio;
}

QWidget* Renderer::make_scroll_bar(Scroll_Bar& bar, QWidget* parent) {
  auto* scroll = new QScrollBar(bar.vertical ? Qt::Vertical : Qt::Horizontal, parent);
  connect(scroll, &QScrollBar::valueChanged, this, [this, &bar, scroll](int value) {
    if (scroll->signalsBlocked() || value == bar.value()) return;
    dispatch([&bar, value] { bar.set_value(value); });
  });
  return scroll;
}

QWidget* Renderer::make_picture(Picture_Area& area, QWidget* parent) {
  auto* picture = new Picture_Widget(area, parent);
  picture->on_press = [this, &area](int button, int shift, double x, double y) {
    if (area.on_mouse_down) dispatch([&area, button, shift, x, y] { area.on_mouse_down(button, shift, x, y); });
  };
  return picture;
}

QWidget* Renderer::make_grid(QWidget* parent) {
  auto* table = new QTableWidget(parent);
  table->horizontalHeader()->hide();
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->setDefaultSectionSize(18);
  return table;
}

void Renderer::add_timer(Form_Window& window, Timer& timer) {
  auto* qt_timer = new QTimer(&window);
  connect(qt_timer, &QTimer::timeout, this, [this, &timer] { dispatch(timer.on_timer); });
  window.timers[&timer] = qt_timer;
}

// The widget of a control, or nullptr for a control without one of its own.
QWidget* Renderer::make_widget(Form_Window& window, Control& control, QWidget* parent) {
  switch (control.kind) {
    case Control_Kind::Label: return make_label(parent);
    case Control_Kind::Text_Box: return make_text_box(static_cast<Text_Box&>(control), parent);
    case Control_Kind::Command_Button: return make_command_button(control, parent);
    case Control_Kind::Option_Button: return make_option_button(static_cast<Option_Button&>(control), parent);
    case Control_Kind::Scroll_Bar: return make_scroll_bar(static_cast<Scroll_Bar&>(control), parent);
    case Control_Kind::Picture_Area: return make_picture(static_cast<Picture_Area&>(control), parent);
    case Control_Kind::Grid: return make_grid(parent);
    case Control_Kind::Timer: add_timer(window, static_cast<Timer&>(control)); return nullptr;
    case Control_Kind::Line_Element: return nullptr;  // painted by its picture area
  }
  return nullptr;
}

void Renderer::form_opened(Form& form) {
  auto window = std::make_unique<Form_Window>(form, *this);
  Form_Window& w = *window;
  w.opened_by = pressed_;
  windows_[&form] = std::move(window);

  // Containers come before what they contain, since controls are created in that order.
  for (const auto& owned : form.controls()) {
    Control& control = *owned;
    QWidget* parent = control.container != nullptr ? w.widgets.at(control.container) : w.client;
    QWidget* widget = make_widget(w, control, parent);
    if (widget == nullptr) continue;
    widget->installEventFilter(this);
    widget->setProperty("quorin_name", qs(control.name));
    widget->setProperty("quorin_index", control.index);
    w.widgets[&control] = widget;
  }
  w.installEventFilter(this);
}

void Renderer::form_closing(Form& form) {
  auto it = windows_.find(&form);
  if (it == windows_.end()) return;
  Form_Window* window = it->second.release();
  windows_.erase(it);
  if (raised_ == &form) raised_ = nullptr;
  window->hide();
  for (auto& [control, timer] : window->timers) timer->stop();
  // A slot of this window may still be on the stack: delete it from the event loop.
  window->deleteLater();
}

namespace {

void sync_geometry(QWidget& widget, const Control& control) {
  const QRect rect(to_pixels(control.left), to_pixels(control.top), to_pixels(control.width),
                   to_pixels(control.height));
  if (widget.geometry() != rect) widget.setGeometry(rect);
  if (widget.isVisibleTo(widget.parentWidget()) != control.visible) widget.setVisible(control.visible);
  if (widget.isEnabled() != control.enabled) widget.setEnabled(control.enabled);
  if (const QString tip = qs(control.tip); widget.toolTip() != tip) widget.setToolTip(tip);
  const QFont font = control_font(control);
  if (widget.font() != font) widget.setFont(font);
}

void sync_label(QLabel& label, const Label& model) {
  if (label.text().toStdString() != model.caption) label.setText(qs(model.caption));
  label.setAlignment(to_alignment(model.alignment));
  label.setFrameShape(model.border ? QFrame::Box : QFrame::NoFrame);
  QPalette palette = label.palette();
  palette.setColor(QPalette::WindowText, to_qcolor(model.fore_colour));
  palette.setColor(QPalette::Window, to_qcolor(model.back_colour));
  label.setPalette(palette);
  label.setAutoFillBackground(model.opaque);
}

void sync_text_box(QWidget& widget, const Text_Box& model) {
  if (auto* edit = qobject_cast<QLineEdit*>(&widget)) {
    if (edit->text().toStdString() != model.text) {
      edit->setText(qs(model.text));
      edit->setCursorPosition(model.caret);
    }
    if (edit->maxLength() != (model.max_length > 0 ? model.max_length : 32767))
      edit->setMaxLength(model.max_length > 0 ? model.max_length : 32767);
    edit->setAlignment(to_alignment(model.alignment));
    edit->setReadOnly(model.read_only);
  } else if (auto* area = qobject_cast<QPlainTextEdit*>(&widget)) {
    if (area->toPlainText().toStdString() != model.text) {
      const QSignalBlocker blocker(area);
      area->setPlainText(qs(model.text));
    }
    area->setReadOnly(model.read_only);
  }
}

void sync_grid(QTableWidget& table, const Grid& grid) {
  const QSignalBlocker blocker(&table);
  table.setRowCount(grid.rows());
  table.setColumnCount(grid.columns());
  for (int c = 0; c < grid.columns(); ++c) table.setColumnWidth(c, to_pixels(grid.column_width(c)));
  for (int r = 0; r < grid.rows(); ++r) {
    for (int c = 0; c < grid.columns(); ++c) {
      auto* item = table.item(r, c);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        table.setItem(r, c, item);
        if (r == 0 || c == 0) item->setBackground(QColor(224, 224, 224));
        item->setTextAlignment(c == 0 ? (Qt::AlignLeft | Qt::AlignVCenter) : (Qt::AlignRight | Qt::AlignVCenter));
      }
      const QString text = qs(grid.cell(r, c));
      if (item->text() != text) item->setText(text);
    }
  }
}

}  // namespace

void Renderer::sync() {
  for (auto& [form_pointer, window] : windows_) {
    Form& form = window->form;
    const QString caption = qs(form.caption);
    if (window->windowTitle() != caption) window->setWindowTitle(caption);
    for (const auto& owned : form.controls()) {
      const Control& control = *owned;
      if (control.kind == Control_Kind::Timer) {
        const auto& model = static_cast<const Timer&>(control);
        QTimer* timer = window->timers.at(&control);
        const bool run = model.enabled && model.interval_ms > 0;
        if (run && !timer->isActive()) timer->start(model.interval_ms);
        if (!run && timer->isActive()) timer->stop();
        continue;
      }
      auto found = window->widgets.find(&control);
      if (found == window->widgets.end()) continue;
      QWidget& widget = *found->second;
      sync_geometry(widget, control);
      switch (control.kind) {
        case Control_Kind::Label: sync_label(static_cast<QLabel&>(widget), static_cast<const Label&>(control)); break;
        case Control_Kind::Text_Box: sync_text_box(widget, static_cast<const Text_Box&>(control)); break;
        case Control_Kind::Command_Button: {
          auto& button = static_cast<QPushButton&>(widget);
          const QString caption_text = qs(static_cast<const Command_Button&>(control).caption);
          if (button.text() != caption_text) button.setText(caption_text);
          break;
        }
        case Control_Kind::Option_Button: {
          auto& option = static_cast<QRadioButton&>(widget);
          const auto& model = static_cast<const Option_Button&>(control);
          if (option.text().toStdString() != model.caption) option.setText(qs(model.caption));
          if (option.isChecked() != model.value) option.setChecked(model.value);
          break;
        }
        case Control_Kind::Scroll_Bar: {
          auto& scroll = static_cast<QScrollBar&>(widget);
          const auto& model = static_cast<const Scroll_Bar&>(control);
          const QSignalBlocker blocker(&scroll);
          scroll.setRange(model.min, std::max(model.min, model.max));
          scroll.setSingleStep(model.small_change);
          scroll.setPageStep(model.large_change);
          scroll.setValue(model.value());
          break;
        }
        case Control_Kind::Picture_Area: static_cast<Picture_Widget&>(widget).refresh(); break;
        case Control_Kind::Grid: {
          const auto& grid = static_cast<const Grid&>(control);
          unsigned& seen = window->grid_versions[&control];
          if (seen != grid.version() + 1) {
            sync_grid(static_cast<QTableWidget&>(widget), grid);
            seen = grid.version() + 1;
          }
          break;
        }
        case Control_Kind::Line_Element:
        case Control_Kind::Timer: break;
      }
    }
    if (!window->isVisible()) {
      window->show();
      keep_on_screen(*window);
      keep_clear_of(*window, window->opened_by);
    }
  }

  // The front form's window on top, holding the keyboard focus where the model has it.
  Form* front = desktop_.front();
  if (front == nullptr) return;
  auto it = windows_.find(front);
  if (it == windows_.end()) return;
  Form_Window& window = *it->second;
  if (raised_ != front) {
    raised_ = front;
    window.raise();
    window.activateWindow();
  }
  if (Control* focused = front->focused()) {
    auto widget = window.widgets.find(focused);
    if (widget != window.widgets.end() && !widget->second->hasFocus() && widget->second->isVisible())
      widget->second->setFocus(Qt::OtherFocusReason);
  }
}

bool Renderer::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr) return false;
  if (event->type() == QEvent::WindowActivate) {
    if (auto* window = dynamic_cast<Form_Window*>(widget); window != nullptr && window_of(window->form) == window) {
      if (desktop_.front() != &window->form) {
        raised_ = &window->form;
        dispatch([this, window] { desktop_.show(window->form); });
      }
    }
    return false;
  }
  auto* window = dynamic_cast<Form_Window*>(widget->window());
  // A window whose form has been closed only waits to be deleted.
  if (window == nullptr || window_of(window->form) != window) return false;
  Control* control = nullptr;
  for (auto& [model, shown] : window->widgets)
    if (shown == widget) control = const_cast<Control*>(model);
  if (control == nullptr) return false;

  switch (event->type()) {
    case QEvent::FocusIn:
      if (window->form.focused() != control) dispatch([window, control] { window->form.set_focus(*control); });
      break;
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      const int code = virtual_key(*key);
      const int shift = shift_state(key->modifiers());
      dispatch([control, code, shift] {
        if (control->on_key_down) control->on_key_down(code, shift);
      });
      const QString typed = key->text();
      if (!typed.isEmpty() && typed.at(0).isPrint()) {
        const int character = typed.at(0).unicode();
        dispatch([control, character] {
          if (control->on_key_press) control->on_key_press(character);
        });
      }
      // Enter on a focused button presses it, as on the window system the screens were made for.
      if (code == Key_Return && control->kind == Control_Kind::Command_Button && control->on_click &&
          control->reachable()) {
        press(*widget, control->on_click);
        return true;
      }
      // Enter in a one-line box has been handled by the key-down slot.
      if (code == Key_Return && control->kind == Control_Kind::Text_Box) return true;
      // The slot may have closed the form or moved the focus away: the key then ends here.
      return !desktop_.is_open(window->form) || window->form.focused() != control;
    }
    case QEvent::MouseButtonPress:
      if (control->kind == Control_Kind::Label || control->kind == Control_Kind::Text_Box) dispatch(control->on_click);
      break;
    case QEvent::MouseButtonDblClick: dispatch(control->on_dbl_click); break;
    default: break;
  }
  return false;
}

}  // namespace quorin::ui::qt
