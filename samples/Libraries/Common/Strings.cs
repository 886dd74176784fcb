using System;

namespace Common
{
    public class Strings
    {
        public static bool IsBlank(string text)
        {
            return text == null || text.Trim().Length == 0;
        }
    }
}
