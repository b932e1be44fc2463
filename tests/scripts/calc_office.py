"""A headless LibreOffice reached over UNO, for the test scripts: Debian's
python3 with python3-uno; soffice from libreoffice-calc-nogui."""
import os
import subprocess
import sys
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def office_desktop(profile):
    """Starts soffice with its own profile; returns the process and its desktop."""
    pipe = 'calc%d' % os.getpid()
    office = subprocess.Popen(
        ['soffice', '--headless', '--invisible', '--norestore', '--nologo', '--nodefault',
         '-env:UserInstallation=' + uno.systemPathToFileUrl(os.path.abspath(profile)),
         '--accept=pipe,name=%s;urp;' % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    resolver = uno.getComponentContext().ServiceManager.createInstanceWithContext(
        'com.sun.star.bridge.UnoUrlResolver', uno.getComponentContext())
    for _ in range(600):
        try:
            context = resolver.resolve('uno:pipe,name=%s;urp;StarOffice.ComponentContext' % pipe)
            return office, context.ServiceManager.createInstanceWithContext(
                'com.sun.star.frame.Desktop', context)
        except NoConnectException:
            if office.poll() is not None:
                sys.exit('soffice ended before it could be reached')
            time.sleep(0.1)
    office.kill()
    sys.exit('soffice could not be reached')


def stop_office(office, desktop):
    try:
        desktop.terminate()
    except Exception:
        pass
    try:
        office.wait(30)
    except subprocess.TimeoutExpired:
        office.kill()
