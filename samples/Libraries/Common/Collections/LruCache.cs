using System;

namespace Common.Collections
{
    public class LruCache
    {
        public int Capacity;
    }
}
