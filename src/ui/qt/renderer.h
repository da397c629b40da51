#pragma once
// The one generic renderer: every open form of the desktop becomes a Qt window and every control
// a matching widget at its twips position. After each event the model handled, sync() carries the
// model's properties over to the widgets; widget events call the model's slots.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "ui/desktop.h"

namespace quorin::ui::qt {

// 15 twips make one pixel at 96 dots per inch; Qt scales pixels on high-density screens.
constexpr double Twips_Per_Pixel = 15.0;
inline int to_pixels(double twips) { return static_cast<int>(twips / Twips_Per_Pixel + 0.5); }

class Form_Window;

class Renderer : public QObject, public Desktop_Observer {
  Q_OBJECT
 public:
  // after_event runs after every event the model handled (for example to quit when it ended).
  Renderer(Desktop& desktop, std::function<void()> after_event);
  ~Renderer() override;

  void form_opened(Form& form) override;
  void form_closing(Form& form) override;

  // Runs a model slot as one event: closed forms stay alive until it returns, then the widgets
  // are brought up to date.
  void dispatch(const std::function<void()>& slot);
  // Brings every window and widget up to date with the model.
  void sync();
  // The window of a form, or nullptr (for tests).
  QWidget* window_of(const Form& form) const;
  QWidget* widget_of(const Control& control) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // One builder per kind of control; each connects the widget's events to the model's slots.
  QWidget* make_widget(Form_Window& window, Control& control, QWidget* parent);
  QWidget* make_label(QWidget* parent);
  QWidget* make_text_box(Text_Box& box, QWidget* parent);
  QWidget* make_command_button(Control& control, QWidget* parent);
  QWidget* make_option_button(Option_Button& option, QWidget* parent);
  QWidget* make_scroll_bar(Scroll_Bar& bar, QWidget* parent);
  QWidget* make_picture(Picture_Area& area, QWidget* parent);
  QWidget* make_grid(QWidget* parent);
  void add_timer(Form_Window& window, Timer& timer);
  // Runs a button's slot as one event, remembering where the button is, so that a window it
  // opens keeps clear of it.
  void press(QWidget& button, const std::function<void()>& slot);

  Desktop& desktop_;
  std::function<void()> after_event_;
  std::map<const Form*, std::unique_ptr<Form_Window>> windows_;
  const Form* raised_ = nullptr;
  int depth_ = 0;
  QRect pressed_;  // the button whose press is being handled, on the screen
};

}  // namespace quorin::ui::qt
