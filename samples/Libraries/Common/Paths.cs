using System;

namespace Common
{
    public class Paths
    {
        public static string Combine(string a, string b)
        {
            return System.IO.Path.Combine(a, b);
        }
    }
}
