// Static message maps: each window class declares a table of (message,
// notification code, control ID range, handler) entries, chained to its base
// class's table. A handler that leaves `handled` FALSE lets the message go on
// to the next matching entry and finally to default processing.
#pragma once
#include <windows.h>

class CWnd;

using MessageHandler = LRESULT (CWnd::*)(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
using CommandHandler = LRESULT (CWnd::*)(WORD code, WORD id, HWND control, BOOL& handled);

constexpr UINT kAnyCode = 0xFFFFFFFFu;

struct MessageMapEntry {
  UINT message;  // WM_COMMAND for command entries
  UINT code;     // command entries: notification code, or kAnyCode
  UINT idFirst;  // command entries: control or command ID range
  UINT idLast;
  MessageHandler onMessage;
  CommandHandler onCommand;
};

struct MessageMap {
  const MessageMap* (*base)();
  const MessageMapEntry* entries;  // ends with an all-zero entry
};

#define DECLARE_MESSAGE_MAP()                    \
 protected:                                      \
  static const MessageMap* GetThisMessageMap();  \
  const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                       \
  const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const MessageMap* theClass::GetThisMessageMap() {                                 \
    using ThisClass = theClass;                                                     \
    using BaseClass = baseClass;                                                    \
    static const MessageMapEntry entries[] = {

#define ON_MESSAGE(message, handler) \
  {message, kAnyCode, 0, 0, static_cast<MessageHandler>(&ThisClass::handler), nullptr},

// A command (menu item, accelerator, button click): notification code 0.
#define ON_COMMAND(id, handler) \
  {WM_COMMAND, 0, id, id, nullptr, static_cast<CommandHandler>(&ThisClass::handler)},
#define ON_COMMAND_RANGE(idFirst, idLast, handler) \
  {WM_COMMAND, 0, idFirst, idLast, nullptr, static_cast<CommandHandler>(&ThisClass::handler)},
// A control notification carried by WM_COMMAND.
#define ON_CONTROL(code, id, handler) \
  {WM_COMMAND, code, id, id, nullptr, static_cast<CommandHandler>(&ThisClass::handler)},
#define ON_CONTROL_RANGE(code, idFirst, idLast, handler) \
  {WM_COMMAND, code, idFirst, idLast, nullptr, static_cast<CommandHandler>(&ThisClass::handler)},

#define END_MESSAGE_MAP()                                                   \
  {0, 0, 0, 0, nullptr, nullptr}                                            \
  };                                                                        \
  static const MessageMap map = {&BaseClass::GetThisMessageMap, entries}; \
  return &map;                                                              \
  }
