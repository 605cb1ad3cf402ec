// The application object. Its whole run happens inside InitInstance.
#pragma once
#include "framework/CWinApp.h"

class ConfigApp : public CWinApp {
public:
  BOOL InitInstance() override;
};
