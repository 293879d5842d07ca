"""What a screen reader reads out of one control of orxboot, over AT-SPI: the text of the
first control with ROLE in the window whose title matches TITLE (an extended regular
expression), or for a table its rows, one a line, cells joined by " | "; with ROW COLUMN
(ROW "header" for the column's heading) where the middle of that cell is on the screen.
Usage: atspi_text.py TITLE ROLE [ROW COLUMN]"""
import re
import sys
import time

import pyatspi


def control(title, role):
    for _ in range(100):  # the bridge registers a new window a moment after it shows
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.name != "orxboot":
                continue
            for win in app:
                if win and re.search(title, win.name):
                    found = pyatspi.findDescendant(win, lambda n: n.getRoleName() == role)
                    if found:
                        return found
        time.sleep(0.1)
    sys.exit(f"no {role} in a window /{title}/ in the accessibility tree")


def main():
    node = control(sys.argv[1], sys.argv[2])
    if len(sys.argv) == 5:
        table, col = node.queryTable(), int(sys.argv[4])
        if sys.argv[3] == "header":
            cell = table.getColumnHeader(col)
        else:
            cell = table.getAccessibleAt(int(sys.argv[3]), col)
        x, y, w, h = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print(x + w // 2, y + h // 2)
    elif sys.argv[2] == "table":
        table = node.queryTable()
        for row in range(table.nRows):
            cells = (table.getAccessibleAt(row, col) for col in range(table.nColumns))
            print(" | ".join(cell.name if cell else "" for cell in cells))
    else:
        print(node.queryText().getText(0, -1), end="")


main()
