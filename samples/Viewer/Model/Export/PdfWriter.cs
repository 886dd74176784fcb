using System;

namespace Viewer.Model.Export
{
    public class PdfWriter
    {
        public void Write(Document document, string path)
        {
        }
    }
}
