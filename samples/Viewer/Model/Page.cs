using System;

namespace Viewer.Model
{
    public class Page
    {
        public int Number;
    }
}
