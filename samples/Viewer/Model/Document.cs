using System;

namespace Viewer.Model
{
    public class Document
    {
        public string Title;
        public Page[] Pages;
    }
}
