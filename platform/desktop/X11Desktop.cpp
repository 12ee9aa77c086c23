#include "platform/desktop/X11Desktop.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <deque>

namespace lumi::desktop {
namespace {

constexpr char kEndpointProperty[] = "_LUMICASTER_ENDPOINT";

template <typename T>
struct Reply {
  T* p;
  explicit Reply(T* reply) : p(reply) {}
  ~Reply() { std::free(p); }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

}  // namespace

std::unique_ptr<X11Desktop> X11Desktop::create() {
  if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = gui->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return nullptr;
    const char* display = std::getenv("DISPLAY");
    int screen = 0;
    char* host = nullptr;
    int number = 0;
    if (display && xcb_parse_display(display, &host, &number, &screen)) std::free(host);
    return std::unique_ptr<X11Desktop>(new X11Desktop(x11->connection(), false, screen));
  }
  if (!std::getenv("DISPLAY")) return nullptr;
  int screen = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screen);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return nullptr;
  }
  return std::unique_ptr<X11Desktop>(new X11Desktop(connection, true, screen));
}

X11Desktop::X11Desktop(xcb_connection_t* connection, bool owned, int screen)
    : connection_(connection),
      ownsConnection_(owned),
      local_([this](WindowId, QWidget* widget) {
               const WindowId id = widget->internalWinId();
               if (id) advertise(id);
               return id;
             },
             nullptr) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screen && it.rem > 1; ++i) xcb_screen_next(&it);
  root_ = it.data->root;
  endpoint_ = std::make_unique<MessageEndpoint>(
      [this](WindowId target, const WindowMessage& m) { return local_.deliver(target, m); },
      [this](WindowId target, WindowMessage m) { local_.post(target, std::move(m)); });
}

X11Desktop::~X11Desktop() {
  if (ownsConnection_) xcb_disconnect(connection_);
}

void X11Desktop::drainErrors() {
  // This connection selects no events, so what arrives are errors about
  // windows that vanished under us; they are expected and dropped.
  if (!ownsConnection_) return;
  while (xcb_generic_event_t* e = xcb_poll_for_event(connection_)) std::free(e);
}

xcb_atom_t X11Desktop::atom(const char* name) {
  const QByteArray key(name);
  if (auto it = atoms_.constFind(key); it != atoms_.constEnd()) return *it;
  Reply<xcb_intern_atom_reply_t> r(
      xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, key.size(), name), nullptr));
  const xcb_atom_t value = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  if (value != XCB_ATOM_NONE) atoms_.insert(key, value);
  return value;
}

QByteArray X11Desktop::property(xcb_window_t window, xcb_atom_t prop, xcb_atom_t type, std::uint32_t maxLength) {
  Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
      connection_, xcb_get_property(connection_, 0, window, prop, type, 0, (maxLength + 3) / 4), nullptr));
  if (!r || r->type == XCB_ATOM_NONE) return {};
  return QByteArray(static_cast<const char*>(xcb_get_property_value(r.p)), xcb_get_property_value_length(r.p));
}

bool X11Desktop::windowManagerRunning() {
  const QByteArray check = property(root_, atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 4);
  if (check.size() != 4) return false;
  xcb_window_t wm;
  std::memcpy(&wm, check.constData(), 4);
  return windowExists(wm);
}

void X11Desktop::advertise(WindowId window) {
  if (!endpoint_ || !endpoint_->listening()) return;
  const QByteArray path = endpoint_->path().toUtf8();
  xcb_void_cookie_t cookie =
      xcb_change_property_checked(connection_, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window),
                                  atom(kEndpointProperty), atom("UTF8_STRING"), 8, path.size(), path.constData());
  std::free(xcb_request_check(connection_, cookie));
}

WindowId X11Desktop::registerWindow(QWidget* window, MessageHandler handler) {
  const WindowId id = window->winId();  // creates the native window when needed
  local_.add(id, window, std::move(handler));
  advertise(id);
  return id;
}

void X11Desktop::unregisterWindow(WindowId window) {
  if (!local_.contains(window)) return;
  local_.remove(window);
  std::free(xcb_request_check(connection_, xcb_delete_property_checked(connection_, static_cast<xcb_window_t>(window),
                                                                       atom(kEndpointProperty))));
}

xcb_window_t X11Desktop::clientOf(xcb_window_t window, int depth) {
  // A window manager reparents a client into a frame and marks the client
  // with WM_STATE; without one, the top-level window is the client itself.
  const xcb_atom_t wmState = atom("WM_STATE");
  std::deque<std::pair<xcb_window_t, int>> queue{{window, 0}};
  while (!queue.empty()) {
    auto [w, level] = queue.front();
    queue.pop_front();
    Reply<xcb_get_property_reply_t> state(
        xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, w, wmState, XCB_ATOM_ANY, 0, 0), nullptr));
    if (state && state->type != XCB_ATOM_NONE) return w;
    if (level >= depth) continue;
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, w), nullptr));
    if (!tree) continue;
    const xcb_window_t* children = xcb_query_tree_children(tree.p);
    for (int i = 0, n = xcb_query_tree_children_length(tree.p); i < n; ++i) queue.emplace_back(children[i], level + 1);
  }
  return window;
}

std::vector<WindowId> X11Desktop::topLevelWindows() {
  std::vector<WindowId> out;
  Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
  if (!tree) return out;
  const xcb_window_t* children = xcb_query_tree_children(tree.p);
  // The server lists root's children bottom to top.
  for (int i = xcb_query_tree_children_length(tree.p) - 1; i >= 0; --i) out.push_back(clientOf(children[i], 2));
  drainErrors();
  return out;
}

QString X11Desktop::windowTitle(WindowId window) {
  const auto w = static_cast<xcb_window_t>(window);
  const QByteArray utf8 = property(w, atom("_NET_WM_NAME"), atom("UTF8_STRING"));
  if (!utf8.isEmpty()) return QString::fromUtf8(utf8);
  const QByteArray legacy = property(w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY);
  drainErrors();
  // WM_NAME is Latin-1 by the book; programs that put UTF-8 there are common.
  const QString decoded = QString::fromUtf8(legacy);
  return decoded.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(legacy) : decoded;
}

bool X11Desktop::windowExists(WindowId window) {
  if (window == 0) return false;
  xcb_generic_error_t* error = nullptr;
  Reply<xcb_get_window_attributes_reply_t> r(xcb_get_window_attributes_reply(
      connection_, xcb_get_window_attributes(connection_, static_cast<xcb_window_t>(window)), &error));
  std::free(error);
  return static_cast<bool>(r);
}

std::int64_t X11Desktop::windowProcess(WindowId window) {
  const QByteArray pid = property(static_cast<xcb_window_t>(window), atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 4);
  drainErrors();
  if (pid.size() != 4) return 0;
  std::uint32_t value;
  std::memcpy(&value, pid.constData(), 4);
  return value;
}

WindowId X11Desktop::foregroundWindow() {
  if (windowManagerRunning()) {
    const QByteArray active = property(root_, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 4);
    if (active.size() == 4) {
      xcb_window_t w;
      std::memcpy(&w, active.constData(), 4);
      if (w != 0) return w;
    }
  }
  Reply<xcb_get_input_focus_reply_t> focus(
      xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == root_)
    return 0;
  // Up to the top-level window that holds the focus, then to its client.
  xcb_window_t w = focus->focus;
  for (;;) {
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, w), nullptr));
    if (!tree) return 0;
    if (tree->parent == root_ || tree->parent == XCB_NONE) break;
    w = tree->parent;
  }
  return clientOf(w, 2);
}

bool X11Desktop::bringToFront(WindowId window) {
  if (!windowExists(window)) return false;
  const auto w = static_cast<xcb_window_t>(window);
  if (QWidget* widget = local_.widget(window)) {
    widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
    widget->show();
    widget->raise();
    widget->activateWindow();
  }
  xcb_map_window(connection_, w);
  const std::uint32_t above = XCB_STACK_MODE_ABOVE;
  xcb_configure_window(connection_, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
  if (windowManagerRunning()) {
    // Source 2 ("pager"): a request on the user's behalf, which window
    // managers honour without their focus-stealing rules.
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = w;
    event.type = atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
  } else {
    // Without a window manager the window can take the focus only once the
    // server has mapped it.
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, w, XCB_CURRENT_TIME);
  }
  xcb_flush(connection_);
  std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  drainErrors();
  return true;
}

QString X11Desktop::endpointOf(WindowId window) {
  const QByteArray path = property(static_cast<xcb_window_t>(window), atom(kEndpointProperty), XCB_ATOM_ANY);
  drainErrors();
  return QString::fromUtf8(path);
}

std::int64_t X11Desktop::deliver(WindowId window, const WindowMessage& message) {
  lastSendTimedOut_ = false;
  if (window == 0) return 0;
  if (local_.contains(window)) {
    if (message.posted) return local_.post(window, message) ? 1 : 0;
    return local_.deliver(window, message);
  }
  const QString path = endpointOf(window);
  if (path.isEmpty()) return 0;  // a foreign window, or one that is gone
  std::int64_t answer = 0;
  const auto outcome = MessageEndpoint::deliver(path, window, message, sendTimeoutMs_, endpoint_.get(), &answer);
  if (outcome == MessageEndpoint::Outcome::TimedOut) {
    lastSendTimedOut_ = true;
    qWarning("desktop: window 0x%llx did not answer message 0x%x within %d ms",
             static_cast<unsigned long long>(window), message.message, sendTimeoutMs_);
  }
  if (message.posted) return outcome == MessageEndpoint::Outcome::Answered ? 1 : 0;
  return outcome == MessageEndpoint::Outcome::Answered ? answer : 0;
}

std::int64_t X11Desktop::send(WindowId window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
  WindowMessage m;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  return deliver(window, m);
}

bool X11Desktop::post(WindowId window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
  WindowMessage m;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.posted = true;
  if (deliver(window, m) != 0) return true;
  if (message != WM_CLOSE || !windowExists(window) || !endpointOf(window).isEmpty()) return false;
  // A foreign window closes the X way, when it takes part in the protocol.
  const xcb_atom_t protocols = atom("WM_PROTOCOLS");
  const xcb_atom_t deleteWindow = atom("WM_DELETE_WINDOW");
  const QByteArray list = property(static_cast<xcb_window_t>(window), protocols, XCB_ATOM_ATOM);
  bool supported = false;
  for (qsizetype i = 0; i + 4 <= list.size(); i += 4) {
    xcb_atom_t a;
    std::memcpy(&a, list.constData() + i, 4);
    supported = supported || a == deleteWindow;
  }
  if (!supported) return false;
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = static_cast<xcb_window_t>(window);
  event.type = protocols;
  event.data.data32[0] = deleteWindow;
  event.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(connection_, 0, event.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
  xcb_flush(connection_);
  return true;
}

std::int64_t X11Desktop::sendCopyData(WindowId window, WindowId from, std::uint64_t dataWord, const QByteArray& data) {
  WindowMessage m;
  m.message = WM_COPYDATA;
  m.wParam = from;
  m.dataWord = dataWord;
  m.data = data;
  return deliver(window, m);
}

}  // namespace lumi::desktop
