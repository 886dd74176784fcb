using System;

namespace Viewer.Model.Export
{
    public class HtmlWriter
    {
        public void Write(Document document, string path)
        {
        }
    }
}
