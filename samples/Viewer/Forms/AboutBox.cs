using System;

namespace Viewer.Forms
{
    public class AboutBox
    {
        public string Version { get { return "1.4.2"; } }
    }
}
