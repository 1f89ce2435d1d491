#!/usr/bin/env python3
"""Runs the include check over small trees that each break one rule, and over one that breaks none."""
import pathlib
import subprocess
import sys
import tempfile

CLEAN = {
    "app/base/Util.h": '#include "port/text.h"\n',
    "app/testrun/TestThread.h": '#include "Util.h"\n#include <QObject>\n',
    "app/testrun/itemhost/ItemRegistration.h": '#include "TestThread.h"\n',
    "app/screen/widgets/GridCtrl.h": '#include "Util.h"\n#include <QTableWidget>\n',
    "app/screen/logs/PlatformLog.h": '#include "GridCtrl.h"\n',
    "app/screen/items/CycleManager.h": '#include "GridCtrl.h"\n',
    "app/screen/layout/UIManagerDlg.h": '#include "PlatformLog.h"\n',
    "app/screen/panel/DynamicDlg.h": '#include "TestThread.h"\n#include "CycleManager.h"\n#include <QDialog>\n',
    "app/screen/main/QRVBaseDlg.h": '#include "DynamicDlg.h"\n',
    "app/program/QRVBaseApp.h": '#include "QRVBaseDlg.h"\n',
    "port/include/port/text.h": '#include "port/export.h"\n',
    "port/include/port/export.h": "\n",
    "port/src/lock_file.h": "\n",
    "port/src/text.cpp": '#include "port/text.h"\n#include "lock_file.h"\n',
}
BREAKS = {
    "base includes testrun": ("app/base/Util.cpp", '#include "TestThread.h"\n'),
    "testrun includes screen": ("app/testrun/itemhost/Loader.cpp", '#include "DynamicDlg.h"\n'),
    "screen includes program": ("app/screen/main/QRVBaseDlg.cpp", '#include "QRVBaseApp.h"\n'),
    "a control includes a window": ("app/screen/widgets/GridCtrl.cpp", '#include "CycleManager.h"\n'),
    "a window includes the panel": ("app/screen/items/CycleManager.cpp", '#include "DynamicDlg.h"\n'),
    "a window includes the main window": ("app/screen/logs/PlatformLog.cpp", '#include "QRVBaseDlg.h"\n'),
    "a window includes another": ("app/screen/items/CycleManager.cpp", '#include "PlatformLog.h"\n'),
    "the panel includes the main window": ("app/screen/panel/DynamicDlg.cpp", '#include "QRVBaseDlg.h"\n'),
    "testrun includes a widget": ("app/testrun/Loop.cpp", "#include <QWidget>\n"),
    "port includes Inc": ("port/include/port/window_message.h", '#include "QRV_Types.h"\n'),
    "port includes app": ("port/src/ini.cpp", '#include "Util.h"\n'),
}


def run(check, files):
    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder)
        for name, text in files.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        return subprocess.run([sys.executable, check, str(root)], capture_output=True, text=True)


def main():
    check = sys.argv[1]
    failed = False
    result = run(check, CLEAN)
    if result.returncode != 0:
        print("the clean tree fails:\n" + result.stdout)
        failed = True
    for what, (name, text) in BREAKS.items():
        result = run(check, {**CLEAN, name: text})
        if result.returncode == 0:
            print(f"not caught: {what}")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
